#pragma once
// What the ep0 thread tells the thread running the Bulk-Only Transport
// session. Every reset, enable and disable starts a new generation; the session
// thread notes the generation at the start of each command.
//
// - A Bulk-Only Mass Storage Reset must not be acknowledged while the session
//   is still inside the command it interrupted: ResetAndWait interrupts the
//   session thread (its blocked transfer fails with EINTR) until it has started
//   over, and only then returns.
// - After an invalid CBW the session holds both pipes stalled until the next
//   generation (the host's reset recovery, or a new configuration). The stall
//   is renewed now and then, since the host's CLEAR_FEATURE lifts it and the
//   device side cannot refuse that; the renewal happens under the lock that a
//   reset takes first, so no stall follows an acknowledged reset.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class SessionSignals {
 public:
  // --- ep0 side ---
  // A new configuration or its end.
  void Restart();
  // A host reset: returns once the session started over (true) or after `limit`.
  bool ResetAndWait(const std::function<void()>& interrupt, std::chrono::milliseconds limit);

  // --- session side ---
  // The session starts a command; returns the generation it belongs to.
  uint64_t BeginCommand();
  // Calls `halt` now and then until the generation moves past `since`.
  void HoldUntilNext(uint64_t since, const std::function<void()>& halt);
  // Waits at most `limit` for the generation to move past `since`.
  void WaitForNext(uint64_t since, std::chrono::milliseconds limit);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t generation_ = 0;
  uint64_t seen_ = 0;
};

constexpr std::chrono::milliseconds kStallRenewal{20};
constexpr std::chrono::milliseconds kInterruptRepeat{5};
