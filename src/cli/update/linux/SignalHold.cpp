#include "cli/update/linux/SignalHold.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

// SIGTSTP (Ctrl+Z, kill -TSTP) does not end the program but would stop the
// device's commands midway, with the enclosure's lock held: held too, and
// obeyed once the hold ends.
constexpr int kHeldSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

// The longest the watcher waits at once. Its wake-up is never lost: blocked
// in every thread and sent to the watcher alone, it waits pending until the
// watcher takes it, whether sent before the wait began or during it.
constexpr long kWatchSliceNs = 50L * 1000 * 1000;

// Sent by the destructor to the watcher alone, so that the program ends as
// soon as its work is done rather than at the end of the watcher's slice.
int WakeSignal() {
  return SIGRTMIN + 1;
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    case SIGTSTP:
      return "SIGTSTP";
    default:
      return "SIGQUIT";
  }
}

bool Ignored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// What the signal would have done without the hold: its default action,
// which for these four ends the process.
[[noreturn]] void TakeDefaultAction(int signal) {
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigemptyset(&defaults.sa_mask);
  sigaction(signal, &defaults, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(signal);
  // Not reached for these signals; should it be, the result is the same.
  _exit(128 + signal);
}

// What SIGTSTP does without the hold: the process stops here, in the calling
// thread, until SIGCONT (the signal is never given a handler, so its
// disposition is still the default one).
void StopAsAsked() {
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, SIGTSTP);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(SIGTSTP);
  // cppcheck-suppress unreachableCode ; raise returns once SIGCONT resumes the process
  pthread_sigmask(SIG_BLOCK, &one, nullptr);
}

}  // namespace

SignalHold::SignalHold() {
  sigemptyset(&watched_);
  for (const int signal : kHeldSignals) {
    if (!Ignored(signal)) sigaddset(&watched_, signal);
  }
  sigaddset(&watched_, WakeSignal());
  // Blocked before the watcher starts, so that it and every later thread
  // inherit the mask and no thread is left to take a signal's default action.
  pthread_sigmask(SIG_BLOCK, &watched_, &previous_);
  watcher_ = std::thread([this] { Watch(); });
}

SignalHold::~SignalHold() {
  stop_ = true;
  pthread_kill(watcher_.native_handle(), WakeSignal());
  watcher_.join();
  // The program is ending with its own result: what came after the
  // watcher's last look is dropped rather than delivered now.
  const timespec none{0, 0};
  while (sigtimedwait(&watched_, nullptr, &none) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void SignalHold::Watch() {
  const timespec slice{0, kWatchSliceNs};
  while (!stop_.load()) {
    const int signal = sigtimedwait(&watched_, nullptr, &slice);
    if (signal > 0 && signal != WakeSignal()) Arrived(signal);
  }
}

// Under the lock, so that End() does not return while the notice, which
// reads how far the update has got, is still being printed.
void SignalHold::Arrived(int signal) {
  std::unique_lock<std::mutex> guard(lock_);
  const bool stop = signal == SIGTSTP;
  if (stop && !holding_) {
    guard.unlock();
    StopAsAsked();
    return;
  }
  if (!holding_ && !runEnds_) TakeDefaultAction(signal);
  // A stop to resume later is no request to end: a watch goes on.
  if (stop) {
    stopAfter_ = true;
  } else {
    requested_ = true;
  }
  if (!holding_) return;
  const std::string name = SignalName(signal);
  if (std::find(held_.begin(), held_.end(), name) == held_.end()) held_.push_back(name);
  if (announced_) return;
  announced_ = true;
  if (announce_) announce_();
}

void SignalHold::Begin(std::function<void()> announce) {
  std::lock_guard<std::mutex> guard(lock_);
  if (holding_) return;
  holding_ = true;
  announced_ = false;
  announce_ = std::move(announce);
}

std::vector<std::string> SignalHold::End() {
  std::vector<std::string> names;
  bool stop = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    holding_ = false;
    names.swap(held_);
    std::swap(stop, stopAfter_);
  }
  if (stop) StopAsAsked();
  return names;
}

std::vector<std::string> SignalHold::HeldSoFar() const {
  std::lock_guard<std::mutex> guard(lock_);
  return held_;
}

bool SignalHold::requested() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requested_;
}

void SignalHold::SetRunEndsOnRequest(bool on) {
  std::lock_guard<std::mutex> guard(lock_);
  runEnds_ = on;
}

std::unique_ptr<InterruptHold> MakeInterruptHold() {
  return std::make_unique<SignalHold>();
}
