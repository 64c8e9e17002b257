// The window while its enclosure is replaced by another unit after each of
// its commands in turn, from the start-up's refresh to the update's end:
// every write reaches the unit its device-information run read, a PASS means
// the replacement came after the last command, and a replacement after that
// run is said on line 2 with FAIL.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Tessaloft_main/TForm1.h"
#include "embedded/EmbeddedResources.h"
#include "seams/Seams.h"
#include "support/UnitSwap.h"
#include "support/VirtualShell.h"
#include "support/WindowFixture.h"

namespace {

uint64_t LastUnitRead(const std::vector<TraceEntry>& entries) {
  uint64_t read = 0;
  for (const TraceEntry& entry : entries) {
    if (entry.kind == CommandKind::kReadFlashIndex && entry.unit != 0) read = entry.unit;
  }
  return read;
}

struct SwappedWindow {
  VirtualMachine machine;
  VirtualShell shell;
  EmbeddedResources resources;
  ScopedSeams seams{Seams{&machine, &shell, &machine, &machine, &resources}};
  CommandLog log;

  // Opens the window over one outdated enclosure and presses Update; `k` 0:
  // nothing takes its place after a command. `beforePress`: the newcomer
  // takes it between the window's reading and the press.
  std::string OpenAndUpdate(uint32_t k, const Newcomer& newcomer, std::string* lineTwo,
                            bool beforePress = false) {
    machine.AddDisk(window_paths::kUsb, VirtualEnclosure::Tbr640());
    if (k != 0) machine.ReplaceAfterCommands(window_paths::kUsb, k, newcomer.make());
    log.Watch(machine);
    TForm1 form;
    form.FormCreate(nullptr);
    if (beforePress) machine.Replace(window_paths::kUsb, newcomer.make());
    form.btn_UpdateClick(&form.btn_Update);
    *lineTwo = form.pnl_Descript_2.text();
    return form.pnl_Descript_3.text();
  }
};

TEST(WindowSwap, EveryWriteReachesTheUnitTheWindowRead) {
  std::string lineTwo;
  uint32_t total = 0;
  {
    SwappedWindow plain;
    ASSERT_EQ("PASS", plain.OpenAndUpdate(0, Newcomers()[0], &lineTwo));
    total = static_cast<uint32_t>(plain.log.entries.size());
  }
  for (const Newcomer& newcomer : Newcomers()) {
    for (uint32_t k = 1; k <= total; ++k) {
      SwappedWindow window;
      const std::string result = window.OpenAndUpdate(k, newcomer, &lineTwo);
      const std::string where = std::string(newcomer.name) + " after command " + std::to_string(k) +
                                " of " + std::to_string(total);
      EXPECT_TRUE(WritesReachTheUnitRead(window.log.entries)) << where;
      // Before the device-information run, the newcomer is the unit read; a
      // TQ-214 with newer firmware is then updated as the window shows it.
      if (k == total) {
        EXPECT_EQ("PASS", result) << where;
      }
      // A PASS: nothing took the place of the unit read from its reading on.
      if (result == "PASS" && k < total) {
        EXPECT_EQ(LastUnitRead(window.log.entries), window.machine.ArrivalOf(window_paths::kUsb))
            << where;
      }
    }
    // Between the reading and the press: FAIL, nothing sent to the newcomer
    // but what tells it, and line 2 says why.
    SwappedWindow window;
    EXPECT_EQ("FAIL", window.OpenAndUpdate(0, newcomer, &lineTwo, true)) << newcomer.name;
    EXPECT_EQ("The device changed since it was read; nothing was written", lineTwo);
    EXPECT_TRUE(WritesReachTheUnitRead(window.log.entries)) << newcomer.name;
    EXPECT_EQ(0u, window.log.Reaching(window.machine.ArrivalOf(window_paths::kUsb)))
        << newcomer.name;
  }
}

}  // namespace
