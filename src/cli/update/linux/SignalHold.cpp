#include "cli/update/linux/SignalHold.h"

#include <pthread.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int kHeldSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// How long the watcher waits before it looks whether holding has ended.
constexpr long kWatchSliceNs = 50L * 1000 * 1000;

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "SIGQUIT";
  }
}

}  // namespace

void SignalHold::Begin(std::function<std::string()> notice) {
  if (holding_) return;
  notice_ = std::move(notice);
  sigemptyset(&held_);
  for (const int signal : kHeldSignals) sigaddset(&held_, signal);
  // Blocked before the watcher starts, so that it inherits the mask and no
  // thread of the program is left to take the signal's default action.
  pthread_sigmask(SIG_BLOCK, &held_, &previous_);
  stop_ = false;
  holding_ = true;
  watcher_ = std::thread([this] { Watch(); });
}

void SignalHold::Watch() {
  const timespec slice{0, kWatchSliceNs};
  while (!stop_.load()) {
    const int signal = sigtimedwait(&held_, nullptr, &slice);
    if (signal > 0) Held(signal, true);
  }
}

void SignalHold::Held(int signal, bool announce) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::string name = SignalName(signal);
  if (std::find(names_.begin(), names_.end(), name) == names_.end()) names_.push_back(name);
  if (!announce || announced_) return;
  announced_ = true;
  err_ << (notice_ ? notice_() : std::string()) << std::flush;
}

bool SignalHold::requested() const {
  std::lock_guard<std::mutex> guard(lock_);
  return !names_.empty();
}

std::vector<std::string> SignalHold::End() {
  if (!holding_) return {};
  stop_ = true;
  watcher_.join();
  // Signals that came after the watcher's last look are held too.
  const timespec none{0, 0};
  int signal = 0;
  while ((signal = sigtimedwait(&held_, nullptr, &none)) > 0) Held(signal, false);
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  holding_ = false;
  std::lock_guard<std::mutex> guard(lock_);
  announced_ = false;
  std::vector<std::string> names;
  names.swap(names_);
  return names;
}

std::unique_ptr<InterruptHold> MakeInterruptHold(std::ostream& err) {
  return std::make_unique<SignalHold>(err);
}
