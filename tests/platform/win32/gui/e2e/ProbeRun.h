#pragma once
// What the probe's checks share: reporting, watching with a bound, starting
// and ending the program under test, and following an update.

#include <windows.h>

#include <functional>
#include <string>

#include "ProbeWindow.h"

// Bounds, not measures: a first Wine start in a fresh prefix is slow.
constexpr DWORD kStartLimitMs = 60000;
constexpr DWORD kResultLimitMs = 60000;
constexpr DWORD kSettleLimitMs = 30000;
constexpr DWORD kEndLimitMs = 20000;
constexpr UINT kAnswerLimitMs = 30000;  // one answer of the window: a hang guard

class Checks {
 public:
  void Expect(bool ok, const std::string& what);
  int failures() const { return failures_; }
  // Prints the count; the exit code of a check mode.
  int Verdict() const;

 private:
  int failures_ = 0;
};

// Looks every tenth of a second until `done` holds or `limitMs` passed,
// dispatching the thread's messages meanwhile.
bool Watch(const std::function<bool()>& done, DWORD limitMs);

std::string Text(HWND window);
bool IsResult(const std::string& line);

// Starts `command`; false when the system refuses.
bool Start(std::string command, PROCESS_INFORMATION* process);
// Waits for the window of `process` (its lines filled in); false, with the
// process ended, when none appeared.
bool AwaitWindow(const PROCESS_INFORMATION& process, UpdaterHandles* w);
// Waits up to `limitMs` for the process to end: its exit code, or -1 when it
// did not end (it is then ended). Closes the handle.
long AwaitEnd(PROCESS_INFORMATION* process, DWORD limitMs);

// What the lines showed while the update ran, and whether the window kept
// answering.
struct UpdateMonitor {
  int looks = 0;
  int unanswered = 0;
  bool sawUpdating = false;
  bool sawBar = false;
  LRESULT highestBar = 0;
  std::string result;
};

// One look during the update; true once the result shows.
bool LookDuringUpdate(const UpdaterHandles& w, UpdateMonitor* watch);
// The bar's position, -1 when the window did not answer.
LRESULT BarPosition(const UpdaterHandles& w);
