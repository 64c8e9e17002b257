#pragma once
// What the system shows of an update outside the window's lines: progress and
// the result on the window's taskbar button, a flash of the window when the
// result comes while it is not in front, and the result read out by assistive
// technology from the line that shows it; and, when asked, each attempt in
// the Windows event log.

#include <windows.h>

#include "Tessaloft_main/UpdateWatcher.h"
#include "platform/win32/gui/LiveRegion.h"
#include "platform/win32/gui/TaskbarButton.h"

class UpdateSignals final : public UpdateWatcher {
 public:
  // `window` the main window, `resultLine` the child that shows the result.
  void Attach(HWND window, HWND resultLine);
  // Before the windows go.
  void Detach();

  // The shell's message that the taskbar button exists; 0 when none.
  UINT taskbarButtonCreated() const { return taskbar_.createdMessage(); }
  void TaskbarButtonCreated() { taskbar_.Created(); }
  // Tests watch the taskbar list's calls.
  void WatchTaskbar(TaskbarListWatcher* watcher) { taskbar_.Watch(watcher); }

  void UpdateProgressed(uint32_t position, uint32_t maximum) override;
  void UpdateResultShown(bool passed) override;
  void UpdateAttempted(const UpdateAttempt& attempt) override;
  void LinesRefreshed() override;

  void ReportAttemptsToEventLog() { reportAttempts_ = true; }

 private:
  HWND window_ = nullptr;
  TaskbarButton taskbar_;
  LiveRegion result_;
  bool reportAttempts_ = false;
};
