#pragma once
// Holding on Linux: SIGINT, SIGTERM, SIGHUP and SIGQUIT are blocked in the
// program's threads and taken by a watcher thread with sigtimedwait, so that a
// signal sent to the process, or to its terminal's process group, is held as
// pending instead of ending it. What is still pending at the end is taken too,
// so that nothing is delivered when the signals are unblocked again.

#include <signal.h>

#include <atomic>
#include <mutex>
#include <ostream>
#include <thread>

#include "cli/update/InterruptHold.h"

class SignalHold final : public InterruptHold {
 public:
  // The notice goes to `err`; nothing else may write to it while holding.
  explicit SignalHold(std::ostream& err) : err_(err) {}
  ~SignalHold() override { End(); }
  SignalHold(const SignalHold&) = delete;
  SignalHold& operator=(const SignalHold&) = delete;

  void Begin(std::function<std::string()> notice) override;
  std::vector<std::string> End() override;
  bool requested() const override;

 private:
  void Watch();
  void Held(int signal, bool announce);

  std::ostream& err_;
  std::function<std::string()> notice_;
  sigset_t held_{};
  sigset_t previous_{};
  std::atomic<bool> stop_{false};
  std::thread watcher_;
  bool holding_ = false;
  mutable std::mutex lock_;  // guards what follows, shared with the watcher
  bool announced_ = false;
  std::vector<std::string> names_;
};
