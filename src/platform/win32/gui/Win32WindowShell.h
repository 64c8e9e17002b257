#pragma once
// The shell of the updater window: the message pump, timers and device
// notifications of the main window, debugger output, the system version,
// other programs' windows, the version resource, and device work on a worker
// thread while the window thread keeps painting.

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/win32/Win32Shell.h"

class Win32WindowShell : public Win32Shell {
 public:
  // The main window: timers, notifications and queued tasks go to it. The
  // thread that calls this is the window thread.
  void AttachWindow(HWND window);
  HWND window() const { return window_; }

  void ProcessMessages() override;
  void SetWindowTimer(uint32_t id, uint32_t milliseconds) override;
  void KillWindowTimer(uint32_t id) override;
  void DebugOutput(const char* text) override;
  bool QueryVersionRecord(uint8_t* record) override;
  WindowRef FindTopWindow(const char* className, const char* title) override;
  bool PostWindowMessage(WindowRef window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) override;
  NotifyRef RegisterDeviceNotifications(const uint8_t* filter) override;
  void UnregisterDeviceNotifications(NotifyRef registration) override;
  bool ExecutableFileVersion(uint16_t version[4]) override;

  // The work runs on a worker thread; until it ends the window thread only
  // paints, answers messages sent to it, runs the tasks posted to it, and
  // lets the system move, minimise and restore the window and open its system
  // menu (a close that comes so goes to the window, which refuses it). The
  // flows' messages wait: timers, device changes, clicks, and the keys that
  // could press a control stay in the queue or are held (HoldUntilWorkEnds).
  // Meanwhile the main window carries a shutdown-block reason.
  void RunDeviceWork(const std::function<void()>& work) override;
  void PostToWindowThread(const std::function<void()>& task) override;

  // True while device work runs on the worker.
  bool DeviceWorkRunning() const { return deviceWork_; }
  // On the window thread while device work runs (from a message handled
  // meanwhile): returns once the work has ended, painting, answering and
  // running posted tasks until then. Elsewhere it returns at once.
  void AwaitDeviceWork();
  // Runs what was posted to the window thread (the window procedure calls it
  // for kWmRunTasks).
  void RunQueuedTasks();
  // On the window thread while device work runs: a message of the flows that
  // the main window got meanwhile (from the wait, or from a loop of the
  // system's, such as the one that moves the window) is posted to it again
  // once the work has ended, in the order they came.
  void HoldUntilWorkEnds(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  bool OnWindowThread() const;
  // One pass over paint messages, sent messages, queued tasks and the
  // messages of the window's frame.
  void PaintAndRunTasks();
  // Dispatches the queued messages in [first, last] for `window` (null: any
  // window of the thread); a quit message is kept for after the work.
  void DispatchQueued(HWND window, UINT first, UINT last);
  // Passes until the worker signals workDone_.
  void PaintUntilWorkEnds();

  HWND window_ = nullptr;
  DWORD windowThread_ = 0;
  std::mutex tasksLock_;
  std::deque<std::function<void()>> tasks_;
  std::atomic<bool> deviceWork_{false};
  // Window thread only: the worker's end, while it runs, and a quit message
  // that came meanwhile, passed on once the work has ended.
  HANDLE workDone_ = nullptr;
  bool quitHeld_ = false;
  int quitCode_ = 0;
  std::vector<MSG> held_;
};
