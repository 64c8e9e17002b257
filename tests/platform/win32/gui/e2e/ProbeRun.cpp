#include "ProbeRun.h"

// <commctrl.h> uses the base types that <windows.h> declares.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr DWORD kLookMs = 100;

}  // namespace

void Checks::Expect(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures_;
}

int Checks::Verdict() const {
  std::printf("%d check(s) failed\n", failures_);
  return failures_ == 0 ? 0 : 1;
}

bool Watch(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= limitMs) return false;
    // Pumping: the events of an out-of-context hook come as messages.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kLookMs, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

std::string Text(HWND window) {
  std::string text;
  ReadText(window, &text);
  return text;
}

bool IsResult(const std::string& line) {
  return line == "PASS" || line == "FAIL";
}

bool Start(std::string command, PROCESS_INFORMATION* process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      process)) {
    std::fprintf(stderr, "WindowProbe: cannot start %s (error %lu)\n", command.c_str(),
                 GetLastError());
    return false;
  }
  CloseHandle(process->hThread);
  return true;
}

bool AwaitWindow(const PROCESS_INFORMATION& process, UpdaterHandles* w) {
  const bool found = Watch(
      [&] {
        return (FindUpdaterOf(process.dwProcessId, w) && !Text(w->lines[0]).empty()) ||
               WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      },
      kStartLimitMs);
  if (found && w->main != nullptr && IsWindow(w->main)) return true;
  TerminateProcess(process.hProcess, 1);
  return false;
}

long AwaitEnd(PROCESS_INFORMATION* process, DWORD limitMs) {
  const bool ended = WaitForSingleObject(process->hProcess, limitMs) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process->hProcess, &code);
  if (!ended) TerminateProcess(process->hProcess, 1);
  CloseHandle(process->hProcess);
  process->hProcess = nullptr;
  return ended ? static_cast<long>(code) : -1;
}

LRESULT BarPosition(const UpdaterHandles& w) {
  DWORD_PTR position = 0;
  if (!SendMessageTimeoutA(w.bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs, &position))
    return -1;
  return static_cast<LRESULT>(position);
}

bool LookDuringUpdate(const UpdaterHandles& w, UpdateMonitor* watch) {
  ++watch->looks;
  std::string line3;
  if (!Answers(w.main) || !ReadText(w.lines[2], &line3)) {
    ++watch->unanswered;
    return false;
  }
  if (line3 == "Updating.....") watch->sawUpdating = true;
  if (IsWindowVisible(w.bar)) {
    watch->sawBar = true;
    watch->highestBar = std::max(watch->highestBar, BarPosition(w));
  }
  if (IsResult(line3)) watch->result = line3;
  return !watch->result.empty();
}
