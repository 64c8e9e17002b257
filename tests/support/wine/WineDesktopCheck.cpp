// wine-desktop-check.exe: ends 0 once Wine's desktop is up for windows, 1
// while it is not. Up means: the desktop window exists, its display driver is
// named on it (the property Wine's explorer sets once it has loaded the
// driver, and which every later window's driver is loaded from), and a
// top-level window can be made. It waits for nothing itself: the caller
// (wine-desktop.sh) repeats it while Wine's start makes progress.
#include <windows.h>

#include <cstdio>

int main() {
  const HWND desktop = GetDesktopWindow();
  if (desktop == nullptr || GetPropA(desktop, "__wine_display_device_guid") == nullptr) {
    std::printf("wine-desktop-check: no desktop with a display driver yet\n");
    return 1;
  }
  const HWND window = CreateWindowExA(0, "STATIC", "wine-desktop-check", WS_POPUP, 0, 0, 1, 1,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) {
    std::printf("wine-desktop-check: no window (error %lu)\n", GetLastError());
    return 1;
  }
  DestroyWindow(window);
  std::printf("wine-desktop-check: up\n");
  return 0;
}
