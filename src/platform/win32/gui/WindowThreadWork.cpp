// Device work on a worker thread, and tasks handed back to the window thread.
// While the work runs the main window asks the system to keep the session.

#include <exception>
#include <thread>

#include "platform/win32/gui/ShutdownBlock.h"
#include "platform/win32/gui/Win32WindowShell.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

// What the system shows to whoever ends the session while device work runs:
// the only device work is writing the enclosure's firmware.
constexpr wchar_t kDeviceWorkBlockReason[] =
    L"Updating the enclosure's firmware - do not switch off";

// How long the window thread sleeps between looks at the worker when no
// message wakes it.
constexpr DWORD kWaitSliceMs = 50;

// What wakes the waiting window thread: painting, messages sent to it from
// other threads and processes, posted messages (the task message among
// them), and the mouse buttons and keys that may be meant for the frame.
constexpr DWORD kWakeMask = QS_PAINT | QS_SENDMESSAGE | QS_POSTMESSAGE | QS_MOUSEBUTTON | QS_KEY;

struct MessageRange {
  UINT first;
  UINT last;
  // Posted messages are taken for the main window only; input for whichever
  // window of the thread it goes to (Alt+F4 to the control with the focus).
  bool mainWindowOnly;
};

// Taken from the queue while the work runs, besides painting and tasks:
constexpr MessageRange kTakenDuringWork[] = {
    // The window's frame, which the system runs and which needs nothing of
    // the device: the mouse on the title bar, its buttons and the border; the
    // keys with Alt (Alt+Space opens the system menu, Alt+F4 asks to close);
    // the system commands these post, or another program posts; and a close
    // posted by another program. A close reaches the window, which refuses it.
    {WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, false},
    {WM_NCXBUTTONDOWN, WM_NCXBUTTONDBLCLK, false},
    {WM_SYSKEYDOWN, WM_SYSDEADCHAR, false},
    {WM_SYSCOMMAND, WM_SYSCOMMAND, true},
    {WM_CLOSE, WM_CLOSE, true},
    // Posted messages of the flows: the window holds them, so that they keep
    // their order with the device changes sent meanwhile.
    {WM_COMMAND, WM_COMMAND, true},
    {kWmHeldDeviceChange, kWmHeldDeviceChange, true},
};

class ScopedEvent {
 public:
  ScopedEvent() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~ScopedEvent() {
    if (handle_) CloseHandle(handle_);
  }
  ScopedEvent(const ScopedEvent&) = delete;
  ScopedEvent& operator=(const ScopedEvent&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

bool Win32WindowShell::OnWindowThread() const {
  return window_ == nullptr || GetCurrentThreadId() == windowThread_;
}

void Win32WindowShell::PostToWindowThread(const std::function<void()>& task) {
  if (OnWindowThread()) {
    task();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(tasksLock_);
    tasks_.push_back(task);
  }
  PostMessageA(window_, kWmRunTasks, 0, 0);
}

void Win32WindowShell::RunQueuedTasks() {
  std::deque<std::function<void()>> due;
  {
    std::lock_guard<std::mutex> lock(tasksLock_);
    due.swap(tasks_);
  }
  for (const auto& task : due) task();
}

void Win32WindowShell::HoldUntilWorkEnds(UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg = {};
  msg.hwnd = window_;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  if (deviceWork_) {
    held_.push_back(msg);
  } else {
    PostMessageA(window_, message, wParam, lParam);
  }
}

void Win32WindowShell::DispatchQueued(HWND window, UINT first, UINT last) {
  MSG msg;
  while (PeekMessageA(&msg, window, first, last, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitHeld_ = true;
      quitCode_ = static_cast<int>(msg.wParam);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32WindowShell::PaintAndRunTasks() {
  MSG msg;
  // The task messages of the main window (WM_QUIT comes whatever the filter).
  while (PeekMessageA(&msg, window_, kWmRunTasks, kWmRunTasks, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitHeld_ = true;
      quitCode_ = static_cast<int>(msg.wParam);
      continue;
    }
    RunQueuedTasks();
  }
  // Painting of every window of this thread, and messages sent to them.
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    if (msg.message == WM_QUIT) {
      quitHeld_ = true;
      quitCode_ = static_cast<int>(msg.wParam);
      continue;
    }
    DispatchMessageA(&msg);
  }
  for (const MessageRange& range : kTakenDuringWork) {
    DispatchQueued(range.mainWindowOnly ? window_ : nullptr, range.first, range.last);
  }
}

void Win32WindowShell::PaintUntilWorkEnds() {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &workDone_, FALSE, kWaitSliceMs, kWakeMask);
    if (woke == WAIT_FAILED) {
      WaitForSingleObject(workDone_, INFINITE);
      return;
    }
    PaintAndRunTasks();
    if (woke == WAIT_OBJECT_0) return;
  }
}

void Win32WindowShell::AwaitDeviceWork() {
  if (workDone_ != nullptr && OnWindowThread()) PaintUntilWorkEnds();
}

void Win32WindowShell::RunDeviceWork(const std::function<void()>& work) {
  // Work started from the worker itself, or before there is a window, runs
  // where it is.
  if (window_ == nullptr || !OnWindowThread() || deviceWork_) {
    work();
    return;
  }
  ScopedEvent done;
  if (done.get() == nullptr) {
    work();
    return;
  }
  std::exception_ptr failure;
  {
    const ShutdownBlock block(window_, kDeviceWorkBlockReason);
    workDone_ = done.get();
    quitHeld_ = false;
    deviceWork_ = true;
    std::thread worker([&work, &failure, &done] {
      try {
        work();
      } catch (...) {
        failure = std::current_exception();
      }
      SetEvent(done.get());
    });
    PaintUntilWorkEnds();
    worker.join();
    // What the worker posted last runs before the flow goes on.
    RunQueuedTasks();
    workDone_ = nullptr;
    deviceWork_ = false;
    for (const MSG& held : held_) PostMessageA(window_, held.message, held.wParam, held.lParam);
    held_.clear();
  }
  if (quitHeld_) PostQuitMessage(quitCode_);
  if (failure) std::rethrow_exception(failure);
}
