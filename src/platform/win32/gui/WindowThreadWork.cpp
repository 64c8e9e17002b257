// Device work on a worker thread, and tasks handed back to the window thread.

#include <exception>
#include <thread>

#include "platform/win32/gui/Win32WindowShell.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

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

void Win32WindowShell::PaintAndRunTasks(int* quitCode, bool* quit) {
  MSG msg;
  // The task messages of the main window (WM_QUIT comes whatever the filter).
  while (PeekMessageA(&msg, window_, kWmRunTasks, kWmRunTasks, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      *quit = true;
      *quitCode = static_cast<int>(msg.wParam);
      continue;
    }
    RunQueuedTasks();
  }
  // Painting of every window of this thread, and messages sent to them.
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    if (msg.message == WM_QUIT) {
      *quit = true;
      *quitCode = static_cast<int>(msg.wParam);
      continue;
    }
    DispatchMessageA(&msg);
  }
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
  deviceWork_ = true;
  std::thread worker([&work, &failure, &done] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    SetEvent(done.get());
  });

  bool quit = false;
  int quitCode = 0;
  HANDLE waitFor = done.get();
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &waitFor, FALSE, kWaitSliceMs, kWakeMask);
    PaintAndRunTasks(&quitCode, &quit);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
  }
  worker.join();
  // What the worker posted last runs before the flow goes on.
  RunQueuedTasks();
  deviceWork_ = false;
  if (quit) PostQuitMessage(quitCode);
  if (failure) std::rethrow_exception(failure);
}
