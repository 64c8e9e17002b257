// The device program's list of the commands it received: what the harness
// compares between two programs.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/usb-gadget/BotTestKit.h"
#include "usb-gadget/CommandFile.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class Counter final : public CommandObserver {
 public:
  void OnCommand(const CommandRecord&) override { ++seen; }
  int seen = 0;
};

void Send(CommandObserver& observer, const Bytes& packet, uint32_t residue) {
  CommandBlockWrapper cbw;
  ASSERT_EQ(CbwCheck::kValid, ParseCbw(packet.data(), packet.size(), 0, &cbw));
  CommandRecord record;
  record.cbw = &cbw;
  record.residue = residue;
  observer.OnCommand(record);
}

TEST(CommandFileTest, OneLinePerCommandWithoutTagTimeOrResult) {
  const std::string path = ::testing::TempDir() + "tq214-commands-test.txt";
  std::remove(path.c_str());
  Counter next;
  CommandFile commands(path, &next);
  Send(commands, MakeCbw(7, 36, true, {0x12, 0, 0, 0, 0x24, 0}), 0);
  Send(commands, MakeCbw(8, 1024, false, {0x3B, 0x0E, 0, 0, 0x04, 0, 0, 0x04, 0, 0}), 0);
  // Another tag and residue: the same line.
  Send(commands, MakeCbw(9, 36, true, {0x12, 0, 0, 0, 0x24, 0}), 4);
  Send(commands, MakeCbw(10, 0, true, {0x00, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ(
      "[12 00 00 00 24 00] in 36\n"
      "[3b 0e 00 00 04 00 00 04 00 00] out 1024\n"
      "[12 00 00 00 24 00] in 36\n"
      "[00 00 00 00 00 00] none 0\n",
      ReadAll(path));
  EXPECT_EQ(4, next.seen);

  // Emptied by whoever drives the device, it starts again from the next command.
  std::fclose(std::fopen(path.c_str(), "w"));
  Send(commands, MakeCbw(11, 16, true, {0xE0, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ("[e0 f4 e7 00 00 00 00 00 00 00 00 00] in 16\n", ReadAll(path));
  std::remove(path.c_str());
}

TEST(CommandFileTest, WithoutAPathOnlyPassesOn) {
  Counter next;
  CommandFile commands("", &next);
  Send(commands, MakeCbw(1, 36, true, {0x12, 0, 0, 0, 0x24, 0}), 0);
  EXPECT_EQ(1, next.seen);
}

}  // namespace
