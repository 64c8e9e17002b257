#include "platform/win32/gui/Win32WindowShell.h"

#include <dbt.h>

#include <string>
#include <vector>

#include "platform/win32/Win32DllSearch.h"
#include "platform/win32/gui/DialogKeys.h"
#include "platform/win32/gui/HeldException.h"

// The version record the flows hand in: the extended form or the basic one.
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");
static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version record");
// The notification filter the flows build.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) == 32, "device-interface filter record");

void Win32WindowShell::AttachWindow(HWND window) {
  window_ = window;
  windowThread_ = GetCurrentThreadId();
}

void Win32WindowShell::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The main loop must see it too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // The keys work as in the main loop: a flow that lets the window answer
    // lets it answer the keyboard too.
    if (!HandleDialogKey(window_, msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    RethrowHeldException();
  }
}

void Win32WindowShell::SetWindowTimer(uint32_t id, uint32_t milliseconds) {
  ::SetTimer(window_, static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), nullptr);
}

void Win32WindowShell::KillWindowTimer(uint32_t id) {
  ::KillTimer(window_, static_cast<UINT_PTR>(id));
}

void Win32WindowShell::DebugOutput(const char* text) {
  ::OutputDebugStringA(text);
}

bool Win32WindowShell::QueryVersionRecord(uint8_t* record) {
  return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(record)) != FALSE;
}

WindowRef Win32WindowShell::FindTopWindow(const char* className, const char* title) {
  return reinterpret_cast<WindowRef>(::FindWindowA(className, title));
}

bool Win32WindowShell::PostWindowMessage(WindowRef window, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam) {
  return ::PostMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}

NotifyRef Win32WindowShell::RegisterDeviceNotifications(const uint8_t* filter) {
  // The system only reads the record.
  void* record = const_cast<uint8_t*>(filter);
  return reinterpret_cast<NotifyRef>(
      ::RegisterDeviceNotificationA(window_, record, DEVICE_NOTIFY_WINDOW_HANDLE));
}

void Win32WindowShell::UnregisterDeviceNotifications(NotifyRef registration) {
  ::UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(registration));
}

namespace {

// The running program's full path, whatever its length; "" when the system
// does not give it.
std::wstring ExecutablePath() {
  constexpr DWORD kLongestPath = 32768;
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= kLongestPath) return L"";
    path.resize(path.size() * 2);
  }
}

}  // namespace

bool Win32WindowShell::ExecutableFileVersion(uint16_t version[4]) {
  // version.dll is no KnownDLL: loaded from the system folder on first use.
  // The wide functions: the program's folder may have a name outside the
  // ANSI code page ("C:\Users\Jürgen 用户\Downloads").
  static const HMODULE dll = LoadSystemDll(L"version.dll");
  static const auto infoSize =
      DllFunction<decltype(&::GetFileVersionInfoSizeW)>(dll, "GetFileVersionInfoSizeW");
  static const auto readInfo =
      DllFunction<decltype(&::GetFileVersionInfoW)>(dll, "GetFileVersionInfoW");
  static const auto queryValue = DllFunction<decltype(&::VerQueryValueW)>(dll, "VerQueryValueW");
  if (infoSize == nullptr || readInfo == nullptr || queryValue == nullptr) return false;
  const std::wstring name = ExecutablePath();
  if (name.empty()) return false;
  const DWORD size = infoSize(name.c_str(), nullptr);
  if (size == 0) return false;
  std::vector<uint8_t> info(size);
  if (!readInfo(name.c_str(), 0, size, info.data())) return false;
  void* root = nullptr;
  UINT rootSize = 0;
  if (!queryValue(info.data(), L"\\", &root, &rootSize) || root == nullptr ||
      rootSize < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(root);
  version[0] = HIWORD(fixed->dwFileVersionMS);
  version[1] = LOWORD(fixed->dwFileVersionMS);
  version[2] = HIWORD(fixed->dwFileVersionLS);
  version[3] = LOWORD(fixed->dwFileVersionLS);
  return true;
}
