// The device program's findings file: one line per complete download and per
// phase error, readable while the program runs.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/usb-gadget/BotTestKit.h"
#include "usb-gadget/StatsFile.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void Report(StatsFile& stats, const Bytes& packet, bot::CswStatus status, int64_t atMicros) {
  CommandBlockWrapper cbw;
  ParseCbw(packet.data(), packet.size(), 0, &cbw);
  CommandRecord record;
  record.cbw = &cbw;
  record.status = status;
  record.received = Clock::time_point(std::chrono::microseconds(atMicros));
  record.completed = Clock::time_point(std::chrono::microseconds(atMicros + 10));
  stats.OnCommand(record);
}

TEST(StatsFileTest, AppendsDownloadsAndPhaseErrors) {
  const std::string path = ::testing::TempDir() + "tq214-stats-test.txt";
  std::remove(path.c_str());
  StatsFile stats(path);
  Report(stats, MakeCbw(0x2A, 512, true, {0x3C, 1, 0, 0, 0, 0, 0, 4, 0, 0}),
         bot::CswStatus::kPhaseError, 0);
  EXPECT_EQ("phase-error tag=0000002a\n", ReadAll(path));

  for (uint32_t piece = 0; piece < 49; ++piece) {
    const uint32_t offset = piece * 1024;
    Report(stats,
           MakeCbw(piece, 1024, false,
                   {0x3B, 0x0E, 0, static_cast<uint8_t>(offset >> 16),
                    static_cast<uint8_t>(offset >> 8), 0, 0, 0x04, 0, 0}),
           bot::CswStatus::kPassed, 1000 + int64_t{piece} * 100);
  }
  EXPECT_EQ("phase-error tag=0000002a\ndownload pieces=49 bytes=50176 usec=4810\n", ReadAll(path));
  std::remove(path.c_str());
}

}  // namespace
