#pragma once
// The main window's button on the taskbar, showing the update: its progress
// while the firmware is written and read back, red when the update failed,
// nothing otherwise. The shell says when the button exists (the registered
// message "TaskbarButtonCreated", again after the shell restarted); only then
// is the taskbar list taken. Without a taskbar list the button shows nothing
// and the window goes on.

#include <windows.h>
// <shobjidl.h> uses the base types that <windows.h> declares.
#include <shobjidl.h>

#include <cstdint>

#include "platform/win32/gui/ComOwner.h"

// Told of each call on the taskbar list and how it answered, for tests to
// watch the button by; the program sets none.
class TaskbarListWatcher {
 public:
  virtual ~TaskbarListWatcher() = default;
  virtual void ListTaken() = 0;
  // SetProgressState(`state`), or SetProgressValue when `state` is null.
  virtual void Answered(const TBPFLAG* state, HRESULT answer) = 0;
};

class TaskbarButton {
 public:
  TaskbarButton() = default;
  TaskbarButton(const TaskbarButton&) = delete;
  TaskbarButton& operator=(const TaskbarButton&) = delete;

  // Learns the shell's message and lets it through to `window`, which runs
  // with administrator rights while the shell does not.
  void Attach(HWND window);
  // The shell's message; 0 before Attach or when the system gave none.
  UINT createdMessage() const { return createdMessage_; }
  // The shell made the button (again): takes the taskbar list and shows on
  // it what the button shows now.
  void Created();
  // Lets go of the taskbar list (before the window goes; else with the
  // button).
  void LetGo();

  void ShowProgress(uint32_t position, uint32_t maximum);
  void ShowError();
  void ShowNothing();

  // `watcher` (null for none) is told of the calls from now on.
  void Watch(TaskbarListWatcher* watcher) { watcher_ = watcher; }

 private:
  void Show(TBPFLAG state, uint32_t position, uint32_t maximum);

  HWND window_ = nullptr;
  UINT createdMessage_ = 0;
  ComOwner<ITaskbarList3> list_;
  // What the button shows, and the state the list was last given.
  TBPFLAG state_ = TBPF_NOPROGRESS;
  uint32_t position_ = 0;
  uint32_t maximum_ = 0;
  bool stateShown_ = false;
  TaskbarListWatcher* watcher_ = nullptr;
};
