#include "ProbeWindow.h"

#include "platform/win32/gui/WindowMessages.h"

namespace {

constexpr UINT kAnswerMs = 2000;

}  // namespace

bool FindUpdater(UpdaterHandles* handles) {
  HWND main = FindWindowA(kMainWindowClass, nullptr);
  if (main == nullptr || !IsWindowVisible(main)) return false;
  const int lineIds[5] = {control_id::kDescript1, control_id::kDescript2, control_id::kDescript3,
                          control_id::kDescript4, control_id::kDescript5};
  handles->main = main;
  for (int i = 0; i < 5; ++i) {
    handles->lines[i] = GetDlgItem(main, lineIds[i]);
    if (handles->lines[i] == nullptr) return false;
  }
  handles->update = GetDlgItem(main, control_id::kUpdate);
  handles->bar = GetDlgItem(main, control_id::kProgress);
  return handles->update != nullptr && handles->bar != nullptr;
}

bool ReadText(HWND window, std::string* text) {
  char buffer[512] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &copied)) {
    return false;
  }
  text->assign(buffer, copied < sizeof buffer ? copied : sizeof buffer - 1);
  return true;
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return !IsHungAppWindow(window) &&
         SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                             &result) != 0;
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windows = "Z:" + path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}
