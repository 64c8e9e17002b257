// The demo enclosure's pace and the moments it reports: a firmware piece
// takes its time, a successful update makes it re-enumerate, an unplug is
// announced. Driven by the update engine itself on a virtual shell, whose
// clock only counts.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "IDEAccess/BridgeCommands.h"
#include "embedded/EmbeddedResources.h"
#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"
#include "seams/Seams.h"
#include "sim/Scenarios.h"
#include "support/VirtualShell.h"
#include "window-demo/EnclosurePace.h"

namespace {

// Distinct from every wait of the engine itself.
constexpr uint32_t kWriteMs = 137;
constexpr uint32_t kReadMs = 23;

class EnclosurePaceTest : public ::testing::Test {
 protected:
  EnclosurePaceTest() : seams_(Seams{&machine, &shell, &machine, &machine, &resources}) {
    pace.onUpdated = [this](const std::string& path) {
      updated.push_back(path);
      commandsAtUpdate = machine.trace().size();
    };
    pace.onVanished = [this](const std::string& path) { vanished.push_back(path); };
    pace.Install();
  }
  ~EnclosurePaceTest() override { machine.SetAfterCommand(nullptr); }

  bool Update() {
    return UpdateFirmware(kScenarioEnclosurePath) && PatchConfigBlock(kScenarioEnclosurePath);
  }
  size_t Sleeps(uint32_t ms) const {
    return static_cast<size_t>(std::count(shell.sleeps.begin(), shell.sleeps.end(), ms));
  }

  VirtualMachine machine;
  VirtualShell shell;
  EmbeddedResources resources;
  EnclosurePace pace{machine, kWriteMs, kReadMs};
  std::vector<std::string> updated;
  std::vector<std::string> vanished;
  size_t commandsAtUpdate = 0;

 private:
  ScopedSeams seams_;
};

TEST_F(EnclosurePaceTest, SuccessfulUpdateTakesAPieceTimeEachAndReEnumeratesAfterTheReadBack) {
  ASSERT_TRUE(BuildScenario("outdated", machine));
  ASSERT_TRUE(Update());
  EXPECT_EQ(49u, Sleeps(kWriteMs));
  EXPECT_EQ(49u, Sleeps(kReadMs));
  ASSERT_EQ(1u, updated.size());
  EXPECT_EQ(kScenarioEnclosurePath, updated[0]);
  EXPECT_EQ(machine.trace().size(), commandsAtUpdate) << "reported at the last command";
  EXPECT_EQ(CommandKind::kReadBridgeMemory, machine.trace().back().kind);
  EXPECT_TRUE(vanished.empty());
}

TEST_F(EnclosurePaceTest, ReadingTheBlockWithoutAnUpdateIsNoReEnumeration) {
  ASSERT_TRUE(BuildScenario("outdated", machine));
  uint8_t block[512];
  ASSERT_TRUE(ReadBridgeMemory(kScenarioEnclosurePath, 0xD000, block, sizeof block));
  ASSERT_TRUE(PatchConfigBlock(kScenarioEnclosurePath)) << "a block write, but no download";
  EXPECT_TRUE(updated.empty());
}

TEST_F(EnclosurePaceTest, FailedVerifyIsNoReEnumeration) {
  ASSERT_TRUE(BuildScenario("verify-fail", machine));
  EXPECT_FALSE(Update());
  EXPECT_TRUE(updated.empty());
}

TEST_F(EnclosurePaceTest, UnplugDuringTheUpdateIsAnnouncedOnce) {
  ASSERT_TRUE(BuildScenario("unplug-during-update", machine));
  EXPECT_FALSE(Update());
  ASSERT_EQ(1u, vanished.size());
  EXPECT_EQ(kScenarioEnclosurePath, vanished[0]);
  EXPECT_TRUE(updated.empty());
  EXPECT_EQ(19u, Sleeps(kWriteMs)) << "the pieces before the unplug";
}

TEST_F(EnclosurePaceTest, ReEnumeratingChipComesBackWithTheNewFirmware) {
  ASSERT_TRUE(BuildScenario("outdated", machine));
  pace.onUpdated = [this](const std::string& path) {
    machine.Remove(path);
    machine.Reattach(path);
  };
  ASSERT_TRUE(Update());
  uint8_t info[kChipInfoLength] = {};
  uint32_t transferred = 0;
  ASSERT_TRUE(GetChipInfo(kScenarioEnclosurePath, info, kChipInfoLength, &transferred));
  EXPECT_EQ(21, info[12]);
  EXPECT_EQ(32, info[13]);
  EXPECT_EQ(0, info[14]);
  EXPECT_EQ(3, info[15]);
}

}  // namespace
