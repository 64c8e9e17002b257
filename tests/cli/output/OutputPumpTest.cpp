// The output pump: posting never waits for a blocked writer; each stream has
// its own, so a standard error nobody reads never holds standard output back
// (nor the reverse); progress not yet written gives way to the newest of its
// key; kept text is all written, in order, unless what waits costs more
// memory than the limit (however short its lines), when the oldest gives way
// to one line saying so; lines written in pieces by several threads at once
// arrive whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/output/OutputPump.h"
#include "cli/output/PumpStreamBuf.h"
#include "cli/output/TestPipe.h"

#if defined(__SANITIZE_ADDRESS__)
// The bytes the program holds from the allocator now (AddressSanitizer's).
extern "C" size_t
__sanitizer_get_current_allocated_bytes();  // NOLINT(bugprone-reserved-identifier)
#define TQ214_HEAP_IN_USE() __sanitizer_get_current_allocated_bytes()
#endif

namespace {

using namespace std::chrono_literals;

// An output in memory whose reader can be stopped: while the gate is shut,
// a write waits in it (the first one says when it has begun).
class GatedSink final : public OutputSink {
 public:
  struct State {
    std::mutex lock;
    std::condition_variable changed;
    bool open = true;
    bool writing = false;
    std::string written;

    void Set(bool isOpen) {
      std::lock_guard<std::mutex> guard(lock);
      open = isOpen;
      changed.notify_all();
    }
    // Waits up to `limit` for `done` (under the lock).
    template <typename Done>
    bool WaitFor(Done done, std::chrono::milliseconds limit = 10s) {
      std::unique_lock<std::mutex> guard(lock);
      return changed.wait_for(guard, limit, done);
    }
  };
  explicit GatedSink(State& state) : state_(state) {}
  bool Write(const std::string& text) override {
    std::unique_lock<std::mutex> guard(state_.lock);
    state_.writing = true;
    state_.changed.notify_all();
    state_.changed.wait(guard, [this] { return state_.open; });
    state_.written += text;
    state_.writing = false;
    state_.changed.notify_all();
    return true;
  }

 private:
  State& state_;
};

TEST(OutputPump, PostsNeverWaitForABlockedWriter) {
  // Standard output is stopped in its first write; what comes after waits.
  struct Case {
    size_t heldLimit;
    std::string out;  // after "first\n"
    std::string err;
  };
  // Within the limit, and with no room at all (the newest line is kept).
  for (const Case& c : {Case{OutputPump::kHeldLimit, "b1\nk1\nk2\na3\n", "e1\n"},
                        Case{1, "b1\na3\n", "e1\ntq214: 2 lines were not shown\n"}}) {
    GatedSink::State out, err;
    out.Set(false);
    {
      OutputPump pump(std::make_unique<GatedSink>(out), std::make_unique<GatedSink>(err),
                      c.heldLimit);
      pump.Post(OutputPump::kOut, "first\n");
      ASSERT_TRUE(out.WaitFor([&out] { return out.writing; }));
      pump.Progress(OutputPump::kOut, "a", "a1\n");
      pump.Progress(OutputPump::kOut, "a", "a2\n");
      pump.Progress(OutputPump::kOut, "b", "b1\n");
      pump.Post(OutputPump::kOut, "k1\n");
      pump.Post(OutputPump::kOut, "k2\n");
      pump.Progress(OutputPump::kOut, "a", "a3\n");
      pump.Post(OutputPump::kErr, "e1\n");
      out.Set(true);
      pump.Drain();
    }
    EXPECT_EQ("first\n" + c.out, out.written) << c.heldLimit;
    EXPECT_EQ(c.err, err.written) << c.heldLimit;
  }
}

TEST(OutputPump, AStoppedStreamNeverHoldsTheOtherBack) {
  for (const OutputPump::Stream stopped : {OutputPump::kErr, OutputPump::kOut}) {
    const OutputPump::Stream other =
        stopped == OutputPump::kOut ? OutputPump::kErr : OutputPump::kOut;
    GatedSink::State states[2];
    states[stopped].Set(false);
    std::string last;
    {
      OutputPump pump(std::make_unique<GatedSink>(states[OutputPump::kOut]),
                      std::make_unique<GatedSink>(states[OutputPump::kErr]));
      for (int i = 0; i < 1000; ++i) {
        pump.Post(stopped, "stopped " + std::to_string(i) + "\n");
        pump.Post(other, "line " + std::to_string(i) + "\n");
      }
      GatedSink::State& taken = states[other];
      EXPECT_TRUE(taken.WaitFor([&taken] {
        return taken.written.find("line 999\n") != std::string::npos;
      })) << "stream "
          << int(stopped) << " stopped: " << taken.written.size() << " bytes";
      states[stopped].Set(true);
    }
    EXPECT_EQ(0u, states[stopped].written.find("stopped 0\n"));
  }
}

TEST(OutputPump, EndingShowsEachReaderItsEndOnceItsStreamIsWritten) {
  // Standard error is never read until standard output has been read to its
  // end, as a wrapper reading one after the other does.
  TestPipe out;
  GatedSink::State err;
  err.Set(false);
  std::string shown;
  {
    OutputPump pump(out.WritingSink(), std::make_unique<GatedSink>(err));
    pump.Post(OutputPump::kErr, "a notice\n");
    pump.Post(OutputPump::kOut, "{\"result\":\"PASS\"}\n");
    std::future<void> ended = std::async(std::launch::async, [&pump] { pump.End(); });
    std::future<std::string> read =
        std::async(std::launch::async, [&out] { return out.ReadAll(); });
    const bool seenItsEnd = read.wait_for(10s) == std::future_status::ready;
    EXPECT_TRUE(seenItsEnd) << "standard output never ended";
    err.Set(true);
    ended.wait();
    if (!seenItsEnd) out.CloseWriteEnd();  // so that the reader ends
    shown = read.get();
    pump.Post(OutputPump::kOut, "after the end\n");
    if (seenItsEnd) out.CloseWriteEnd();
  }
  EXPECT_EQ("{\"result\":\"PASS\"}\n", shown);
  EXPECT_EQ("a notice\n", err.written);
}

TEST(OutputPump, WhatAStoppedReaderLeavesWaitingCostsAtMostTheLimit) {
#ifndef TQ214_HEAP_IN_USE
  GTEST_SKIP() << "the heap in use is read through AddressSanitizer";
#else
  // Three times the limit's worth of text, in lines of each length.
  for (const size_t length : {size_t{10}, size_t{45}, size_t{1000}}) {
    GatedSink::State out, err;
    out.Set(false);
    const std::string line = std::string(length - 1, 'x') + "\n";
    const size_t count = 3 * OutputPump::kHeldLimit / OutputPump::HeldCost(line);
    size_t peak = 0;
    {
      const size_t before = TQ214_HEAP_IN_USE();
      OutputPump pump(std::make_unique<GatedSink>(out), std::make_unique<GatedSink>(err));
      pump.Post(OutputPump::kOut, "first\n");
      ASSERT_TRUE(out.WaitFor([&out] { return out.writing; }));
      for (size_t i = 0; i < count; ++i) {
        pump.Post(OutputPump::kOut, line);
        if (i % 4096 == 0) peak = std::max(peak, TQ214_HEAP_IN_USE() - before);
      }
      peak = std::max(peak, TQ214_HEAP_IN_USE() - before);
      out.Set(true);
    }
    EXPECT_LE(peak, OutputPump::kHeldLimit + (size_t{1} << 20)) << length << "-byte lines";
    EXPECT_GE(peak, OutputPump::kHeldLimit / 2) << length << "-byte lines";
    // What was shown and what the notice counts make up every line.
    const size_t shown = std::count(out.written.begin(), out.written.end(), '\n') - 1;
    const std::string notice = " lines were not shown\n";
    ASSERT_NE(std::string::npos, err.written.find(notice)) << err.written;
    EXPECT_EQ(count, shown + std::stoull(err.written.substr(7))) << err.written;
  }
#endif
}

TEST(PumpStreamBuf, LinesWrittenInPiecesByThreadsAtOnceArriveWhole) {
  GatedSink::State out, err;
  {
    OutputPump pump(std::make_unique<GatedSink>(out), std::make_unique<GatedSink>(err));
    PumpStreamBuf buffer(pump, OutputPump::kOut);
    std::ostream stream(&buffer);
    std::vector<std::thread> threads;
    for (const char* name : {"first", "second", "third"}) {
      threads.emplace_back([&stream, name] {
        for (int i = 0; i < 2000; ++i) {
          stream << "[" << name << " " << i;
          stream << "]\n";
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    buffer.PostAll();
  }
  size_t lines = 0;
  for (size_t at = 0, end; (end = out.written.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = out.written.substr(at, end - at);
    ++lines;
    ASSERT_TRUE(line.front() == '[' && line.back() == ']' && line.find('[', 1) == std::string::npos)
        << "line " << lines << ": " << line;
  }
  EXPECT_EQ(6000u, lines);
}

}  // namespace
