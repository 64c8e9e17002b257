// A chip that ends a read early and still reports good status: the missing
// bytes are zeros in the buffer, and nothing built from them may be shown,
// written back or taken for a verified download.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "cli/ExitCodes.h"
#include "engine/ConfigBlock.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/WindowFixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

void ShortenEvery(VirtualEnclosure& chip, CommandKind kind, uint32_t bytes) {
  chip.faults().FailEvery(kind);
  chip.faults().style = FailureStyle::kShortGood;
  chip.faults().shortLength = bytes;
}

Bytes BlockOf(VirtualEnclosure& chip) {
  return Bytes(chip.memory() + ConfigBlockAddress,
               chip.memory() + ConfigBlockAddress + kConfigBlockSize);
}

TEST(ShortRead, TransportReportsWhatArrivedAndTheBlockReadRefusesIt) {
  VirtualMachine machine;
  ASSERT_TRUE(BuildScenario("outdated", machine));
  ScopedSeams seams(Seams{&machine});
  VirtualEnclosure& chip = *machine.Find(kScenarioEnclosurePath);
  ShortenEvery(chip, CommandKind::kReadBridgeMemory, 128);
  ConfigBlock block;
  EXPECT_FALSE(ReadConfigBlock(kScenarioEnclosurePath, block.bytes.data()));
  EXPECT_EQ(128u, machine.trace().back().transferred);
  EXPECT_TRUE(machine.trace().back().ok()) << "the chip said all was well";
}

// Each read whose bytes decide the outcome, cut short at the moment it runs.
TEST(ShortRead, UpdateFailsAndLeavesTheBlockAsItWas) {
  struct Case {
    const char* name;
    // Arms the fault after the command `entry`; `chip` is the enclosure.
    std::function<void(VirtualEnclosure& chip, const TraceEntry& entry)> arm;
    bool blockWritten;
  } const cases[] = {
      {"the block read of the update's patch",
       [](VirtualEnclosure& chip, const TraceEntry& e) {
         if (e.kind == CommandKind::kReadBufferData) {
           ShortenEvery(chip, CommandKind::kReadBridgeMemory, 128);
         }
       },
       false},
      {"the block read-back after the write",
       [](VirtualEnclosure& chip, const TraceEntry& e) {
         if (e.kind == CommandKind::kWriteBridgeMemory) {
           ShortenEvery(chip, CommandKind::kReadBridgeMemory, 511);
         }
       },
       true},
      // Only the first read-back piece, and only its uncompared half is
      // missing: the comparison alone would find nothing wrong.
      {"the first firmware read-back piece",
       [](VirtualEnclosure& chip, const TraceEntry& e) {
         if (e.kind == CommandKind::kWriteBufferData && e.cdb[4] == 0xC0) {  // the last piece
           ShortenEvery(chip, CommandKind::kReadBufferData, 0x200);
         } else if (e.kind == CommandKind::kReadBufferData) {
           chip.faults() = Faults{};
         }
       },
       false},
  };
  for (const Case& c : cases) {
    Bytes before;
    Bytes after;
    CliRunOptions options;
    options.onSimulation = [&](VirtualMachine& machine) {
      VirtualEnclosure& chip = *machine.Find(kScenarioEnclosurePath);
      before = BlockOf(chip);
      machine.SetAfterCommand([&chip, &after, &c](const TraceEntry& entry) {
        c.arm(chip, entry);
        after = BlockOf(chip);
      });
    };
    const CliRun run = RunTq214({"--simulate", "update", "--yes"}, options);
    EXPECT_EQ(kExitFailure, run.code) << c.name;
    EXPECT_NE(std::string::npos, run.out.find("FAIL\n")) << c.name;
    EXPECT_EQ(!c.blockWritten, before == after) << c.name;
  }
}

TEST_F(WindowTest, ShortBlockReadIsGetNvramFail) {
  ShortenEvery(AddEnclosure(), CommandKind::kReadBridgeMemory, 128);
  Open();
  EXPECT_EQ("No available device !!", form().pnl_Descript_1.text());
  EXPECT_EQ("Get NVRAM Fail !!", form().pnl_Descript_2.text());
  EXPECT_FALSE(form().btn_Update.enabled());
}

}  // namespace
