#include "ProbeWindow.h"

#include <vector>

#include "platform/win32/gui/WindowMessages.h"

namespace {

// How long a look waits for the window's answer: a guard against a hang only,
// generous for a slow, busy machine. Whether the window answers while it
// writes is judged by what the answers say (the progress they show), not by
// how fast they come.
constexpr UINT kAnswerMs = 30000;

bool Fill(HWND main, UpdaterHandles* handles) {
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

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

}  // namespace

bool FindUpdater(UpdaterHandles* handles) {
  return Fill(FindWindowA(kMainWindowClass, nullptr), handles);
}

bool FindUpdaterOf(DWORD processId, UpdaterHandles* handles) {
  for (HWND main = FindWindowExA(nullptr, nullptr, kMainWindowClass, nullptr); main != nullptr;
       main = FindWindowExA(nullptr, main, kMainWindowClass, nullptr)) {
    if (ProcessOf(main) == processId && Fill(main, handles)) return true;
  }
  return false;
}

int CountUpdatersOf(DWORD processId) {
  int count = 0;
  for (HWND main = FindWindowExA(nullptr, nullptr, kMainWindowClass, nullptr); main != nullptr;
       main = FindWindowExA(nullptr, main, kMainWindowClass, nullptr)) {
    if (ProcessOf(main) == processId) ++count;
  }
  return count;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void Type(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = keys.end(); key != keys.begin();) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
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
