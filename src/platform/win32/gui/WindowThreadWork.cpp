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
// other threads and processes, and posted messages (the task message among
// them).
constexpr DWORD kWakeMask = QS_PAINT | QS_SENDMESSAGE | QS_POSTMESSAGE;

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
  }
  if (quitHeld_) PostQuitMessage(quitCode_);
  if (failure) std::rethrow_exception(failure);
}
