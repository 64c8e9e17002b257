#include "platform/win32/gui/SingleInstance.h"

#include <string>

namespace {

constexpr DWORD kLookAgainMs = 100;

}  // namespace

SingleInstance::SingleInstance(const char* name) {
  if (name == nullptr) return;
  SetLastError(ERROR_SUCCESS);
  mutex_ = CreateMutexA(nullptr, FALSE, name);
  const DWORD error = GetLastError();
  // A name that exists under rights this program lacks is held all the same.
  another_ = error == ERROR_ALREADY_EXISTS || (mutex_ == nullptr && error == ERROR_ACCESS_DENIED);
}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool BringRunningWindowForward(const char* windowClass, DWORD limitMs) {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while ((window = FindWindowA(windowClass, nullptr)) == nullptr ||
         (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0) {
    if (GetTickCount() - start >= limitMs) return window != nullptr;
    Sleep(kLookAgainMs);
  }
  // Not waiting for the other program to do it: this one ends either way.
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  // This program was just started by the user, so the system lets it hand
  // the foreground on.
  SetForegroundWindow(window);
  return true;
}

void SayHeldWithoutWindow(const char* programName, const char* instanceName) {
  const std::string text = std::string(programName) +
                           " cannot start: another program holds its name " + instanceName +
                           " but shows no updater window.\n\nEnd that program (Task Manager), "
                           "or sign out and in again, then start " +
                           programName + " again.";
  MessageBoxA(nullptr, text.c_str(), programName, MB_OK | MB_ICONERROR);
}
