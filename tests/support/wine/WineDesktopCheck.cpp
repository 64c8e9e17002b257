// wine-desktop-check.exe [--hold SECONDS]: prints "up" once Wine's desktop is
// up for windows and ends 0, or ends 1 while it is not. Up means: the desktop
// window exists, its display driver is named on it (the property Wine's
// explorer sets once it has loaded the driver, and which every later window's
// driver is loaded from), and a top-level window can be made. It waits for
// nothing itself: the caller (wine-desktop.sh) repeats it while Wine's start
// makes progress.
//
// With --hold it stays SECONDS (0: until ended) once the desktop is up: Wine
// closes its desktop, and its explorer ends, when no program uses it any
// more, and the next program would start it again with Wine's own short wait.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
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
  std::printf("up\n");
  std::fflush(stdout);
  if (argc == 3 && std::strcmp(argv[1], "--hold") == 0) {
    const long seconds = std::atol(argv[2]);
    const DWORD start = GetTickCount();
    while (seconds == 0 || GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
    }
  }
  DestroyWindow(window);
  return 0;
}
