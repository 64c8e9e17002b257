#include "usb-gadget/SessionSignals.h"

void SessionSignals::Restart() {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++generation_;
  changed_.notify_all();
}

bool SessionSignals::ResetAndWait(const std::function<void()>& interrupt,
                                  std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t target = ++generation_;
  changed_.notify_all();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (seen_ < target) {
    // The signal may land between two transfers; it is repeated until the
    // session shows it has started over.
    lock.unlock();
    if (interrupt) interrupt();
    lock.lock();
    if (changed_.wait_for(lock, kInterruptRepeat, [&] { return seen_ >= target; })) break;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
  return true;
}

uint64_t SessionSignals::BeginCommand() {
  const std::lock_guard<std::mutex> lock(mutex_);
  seen_ = generation_;
  changed_.notify_all();
  return generation_;
}

void SessionSignals::HoldUntilNext(uint64_t since, const std::function<void()>& halt) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (generation_ == since) {
    halt();
    changed_.wait_for(lock, kStallRenewal);
  }
}

void SessionSignals::WaitForNext(uint64_t since, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, limit, [&] { return generation_ != since; });
}
