// The hand-over between the ep0 thread and the session thread: a reset is
// acknowledged only after the session started over, and no stall is renewed
// after that.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "usb-gadget/SessionSignals.h"

namespace {

using std::chrono::milliseconds;

// A bound so that a broken hand-over fails the test instead of hanging it.
constexpr milliseconds kGenerous{10000};

TEST(SessionSignalsTest, ResetWaitsForTheSessionToStartOver) {
  SessionSignals signals;
  const uint64_t before = signals.BeginCommand();
  std::atomic<int> interrupts{0};
  // The "session": once interrupted, it starts its next command.
  const bool acknowledged = signals.ResetAndWait(
      [&] {
        if (interrupts++ == 0) signals.BeginCommand();
      },
      kGenerous);
  EXPECT_TRUE(acknowledged);
  EXPECT_GE(interrupts.load(), 1);
  EXPECT_NE(before, signals.BeginCommand());
}

TEST(SessionSignalsTest, ResetGivesUpWhenTheSessionNeverStartsOver) {
  SessionSignals signals;
  signals.BeginCommand();
  int interrupts = 0;
  EXPECT_FALSE(signals.ResetAndWait([&] { ++interrupts; }, milliseconds(20)));
  EXPECT_GE(interrupts, 1);
}

TEST(SessionSignalsTest, NoStallIsRenewedAfterAnAcknowledgedReset) {
  SessionSignals signals;
  const uint64_t generation = signals.BeginCommand();
  std::atomic<int> halts{0};
  std::thread session([&] {
    signals.HoldUntilNext(generation, [&] { ++halts; });
    signals.BeginCommand();
  });
  while (halts.load() == 0) std::this_thread::yield();
  const bool acknowledged = signals.ResetAndWait(nullptr, kGenerous);
  const int haltsAtAcknowledge = halts.load();
  session.join();
  EXPECT_TRUE(acknowledged);
  EXPECT_EQ(haltsAtAcknowledge, halts.load());
}

TEST(SessionSignalsTest, RestartReleasesAHeldSession) {
  SessionSignals signals;
  const uint64_t generation = signals.BeginCommand();
  std::atomic<int> halts{0};
  std::atomic<bool> released{false};
  std::thread session([&] {
    signals.HoldUntilNext(generation, [&] { ++halts; });
    released = true;
  });
  while (halts.load() == 0) std::this_thread::yield();
  signals.Restart();
  session.join();
  EXPECT_TRUE(released.load());
}

}  // namespace
