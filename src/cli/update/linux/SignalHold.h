#pragma once
// Holding on Linux: SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGTSTP are blocked in the
// main thread when the program starts, so that every thread inherits the
// mask, and a watcher thread takes them with sigtimedwait. Held, a signal is
// named and announced; outside a hold it ends the program as it would have
// (the watcher takes its default action), or, for a run that ends by itself,
// it is only noted. A held SIGTSTP stops the process once the hold ends, and
// outside a hold it stops it at once. A signal the program was started with ignored (nohup, a
// background job) is left ignored. At the end the watcher is woken with a
// real-time signal of its own, which is blocked in every thread as well.

#include <signal.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "cli/update/InterruptHold.h"

class SignalHold final : public InterruptHold {
 public:
  // Blocks the signals in the calling thread, which must be the program's
  // only thread, and starts the watcher.
  SignalHold();
  // In the thread that made it: stops the watcher, drops what is pending and
  // restores the mask.
  ~SignalHold() override;
  SignalHold(const SignalHold&) = delete;
  SignalHold& operator=(const SignalHold&) = delete;

  void Begin(std::function<void()> announce) override;
  std::vector<std::string> End() override;
  std::vector<std::string> HeldSoFar() const override;
  bool requested() const override;
  void SetRunEndsOnRequest(bool on) override;

 private:
  void Watch();
  void Arrived(int signal);

  sigset_t watched_{};
  sigset_t previous_{};
  std::atomic<bool> stop_{false};
  std::thread watcher_;
  mutable std::mutex lock_;  // guards what follows, shared with the watcher
  bool holding_ = false;
  bool runEnds_ = false;
  bool requested_ = false;
  bool stopAfter_ = false;  // a SIGTSTP was held: the process stops at the end
  bool announced_ = false;
  std::function<void()> announce_;
  std::vector<std::string> held_;
};
