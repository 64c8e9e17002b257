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

class TaskbarButton {
 public:
  TaskbarButton() = default;
  ~TaskbarButton() { Release(); }
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
  // Lets go of the taskbar list (before the window goes).
  void Release();

  void ShowProgress(uint32_t position, uint32_t maximum);
  void ShowError();
  void ShowNothing();

  // What was asked of the taskbar list and how it answered, for tests.
  struct Trace {
    bool listTaken = false;
    int succeeded = 0;
    int failed = 0;
    int progressValues = 0;
    TBPFLAG state = TBPF_NOPROGRESS;
  };
  const Trace& trace() const { return trace_; }

 private:
  void Show(TBPFLAG state, uint32_t position, uint32_t maximum);
  void Count(HRESULT result);

  HWND window_ = nullptr;
  UINT createdMessage_ = 0;
  ITaskbarList3* list_ = nullptr;
  // What the button shows, and the state the list was last given.
  TBPFLAG state_ = TBPF_NOPROGRESS;
  uint32_t position_ = 0;
  uint32_t maximum_ = 0;
  bool stateShown_ = false;
  Trace trace_;
};
