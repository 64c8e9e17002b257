// Timing downloads from the device's side: a run from the piece at offset 0 to
// the piece that completes the firmware, on the time points the session gives.

#include <gtest/gtest.h>

#include <vector>

#include "tools/usb-gadget/BotTestKit.h"
#include "usb-gadget/DownloadClock.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

class DownloadClockTest : public ::testing::Test {
 protected:
  DownloadClockTest() : clock([this](const DownloadTiming& t) { timings.push_back(t); }) {}

  // A WRITE BUFFER mode 0x0E piece of `length` at `offset`, taking 100 us
  // from CBW to CSW, starting `at` us after the epoch.
  void Piece(uint32_t offset, uint32_t length, int64_t at,
             bot::CswStatus status = bot::CswStatus::kPassed) {
    const Bytes packet = MakeCbw(
        1, length, false,
        {0x3B, 0x0E, 0, static_cast<uint8_t>(offset >> 16), static_cast<uint8_t>(offset >> 8),
         static_cast<uint8_t>(offset), static_cast<uint8_t>(length >> 16),
         static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 0});
    CommandBlockWrapper cbw;
    ParseCbw(packet.data(), packet.size(), 0, &cbw);
    CommandRecord record;
    record.cbw = &cbw;
    record.status = status;
    record.received = Clock::time_point(microseconds(at));
    record.completed = Clock::time_point(microseconds(at + 100));
    clock.OnCommand(record);
  }
  void WholeDownload(int64_t start) {
    for (uint32_t piece = 0; piece < 49; ++piece)
      Piece(piece * 1024, 1024, start + int64_t{piece} * 1000);
  }

  std::vector<DownloadTiming> timings;
  DownloadClock clock;
};

TEST_F(DownloadClockTest, ReportsACompleteDownloadFromFirstCbwToLastCsw) {
  WholeDownload(5000);
  ASSERT_EQ(1u, timings.size());
  EXPECT_EQ(49u, timings[0].pieces);
  EXPECT_EQ(0xC400u, timings[0].bytes);
  EXPECT_EQ(48 * 1000 + 100, timings[0].duration.count());
}

TEST_F(DownloadClockTest, StartsOverAtOffsetZero) {
  Piece(0, 1024, 0);
  Piece(1024, 1024, 1000);
  WholeDownload(100000);
  ASSERT_EQ(1u, timings.size());
  EXPECT_EQ(49u, timings[0].pieces);
  EXPECT_EQ(48 * 1000 + 100, timings[0].duration.count());
}

TEST_F(DownloadClockTest, GapsFailuresAndUnfinishedRunsAreNotReported) {
  for (uint32_t piece = 0; piece < 49; ++piece) {
    if (piece != 29) Piece(piece * 1024, 1024, int64_t{piece} * 1000);
  }
  for (uint32_t piece = 0; piece < 49; ++piece) {
    Piece(piece * 1024, 1024, 100000 + int64_t{piece} * 1000,
          piece == 29 ? bot::CswStatus::kFailed : bot::CswStatus::kPassed);
  }
  for (uint32_t piece = 0; piece < 48; ++piece)
    Piece(piece * 1024, 1024, 200000 + int64_t{piece} * 1000);
  EXPECT_TRUE(timings.empty());
}

TEST_F(DownloadClockTest, OtherCommandsDoNotDisturbARun) {
  for (uint32_t piece = 0; piece < 49; ++piece) {
    Piece(piece * 1024, 1024, int64_t{piece} * 1000);
    const Bytes packet = MakeCbw(2, 16, true, {0xE0, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    CommandBlockWrapper cbw;
    ParseCbw(packet.data(), packet.size(), 0, &cbw);
    CommandRecord record;
    record.cbw = &cbw;
    clock.OnCommand(record);
  }
  ASSERT_EQ(1u, timings.size());
  EXPECT_EQ(49u, timings[0].pieces);
}

}  // namespace
