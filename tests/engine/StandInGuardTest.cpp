// A build that carries the stand-in image writes it into the virtual enclosure
// only: through a backend that reaches real devices, the window, tq214 and the
// engine itself refuse before the update's first command.

#include <gtest/gtest.h>

#include "cli/ExitCodes.h"
#include "embedded/FirmwareImageDigest.h"
#include "engine/FirmwareDownload.h"
#include "engine/Refusals.h"
#include "engine/WriteGuard.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/SystemReach.h"
#include "support/WindowFixture.h"

namespace {

TEST(WriteGuard, OnlyAStandInAimedAtARealDeviceWithoutTheSwitchIsRefused) {
  struct Case {
    bool standIn;
    DeviceReach reach;
    const char* testSwitch;
    bool refused;
  } const cases[] = {
      {true, DeviceReach::kSystem, nullptr, true},   {true, DeviceReach::kSystem, "0", true},
      {true, DeviceReach::kSystem, "yes", true},     {true, DeviceReach::kSystem, "1", false},
      {true, DeviceReach::kVirtual, nullptr, false}, {false, DeviceReach::kSystem, nullptr, false},
  };
  for (const Case& c : cases) {
    const Refusal* refusal = FirmwareWriteRefusalFor(c.standIn, c.reach, c.testSwitch);
    EXPECT_EQ(c.refused, refusal != nullptr)
        << c.standIn << " " << (c.testSwitch ? c.testSwitch : "-");
  }
}

class StandInGuardTest : public WindowTest {
 protected:
  void SetUp() override {
    if (!kFirmwareImageIsStandIn) GTEST_SKIP() << "this build carries the customer image";
    ASSERT_TRUE(BuildScenario("outdated", machine));
  }
  SystemReach real{machine};
  // The fixture's machine behind every seam, reached as the real system.
  Seams OnReal() { return Seams{&real, &shell, &machine, &machine, &resources}; }
};

TEST_F(StandInGuardTest, EngineWritesTheVirtualEnclosureButNotARealOne) {
  {
    ScopedSeams onReal(OnReal());
    EXPECT_FALSE(UpdateFirmware(kScenarioEnclosurePath));
    EXPECT_TRUE(machine.trace().empty());
  }
  EXPECT_TRUE(UpdateFirmware(kScenarioEnclosurePath));
}

TEST_F(StandInGuardTest, OnlyTheSwitchGivenAsOneAtTheStartLetsTheEngineWriteARealOne) {
  ASSERT_STREQ(kStandInTestSwitch, StandInSwitchVariable());
  ScopedSeams onReal(OnReal());
  for (const char* value : {"", "0", "11", "1 "}) {
    SetStandInSwitch(value);
    EXPECT_NE(nullptr, FirmwareWriteRefusal()) << "'" << value << "'";
  }
  SetStandInSwitch("1");
  EXPECT_EQ(nullptr, FirmwareWriteRefusal());
  SetStandInSwitch(nullptr);
  EXPECT_FALSE(UpdateFirmware(kScenarioEnclosurePath));
  EXPECT_TRUE(machine.trace().empty());
}

TEST_F(StandInGuardTest, WindowShowsFailAndWhyWithoutACommand) {
  ScopedSeams onReal(OnReal());
  Open();
  ASSERT_TRUE(form().btn_Update.enabled());
  machine.ClearTrace();
  form().btn_UpdateClick(&form().btn_Update);
  EXPECT_EQ("FAIL", form().pnl_Descript_3.text());
  EXPECT_EQ(kStandInRefusalText, form().pnl_Descript_2.text());
  EXPECT_TRUE(machine.trace().empty());
}

TEST_F(StandInGuardTest, Tq214RefusesTheUpdateButListsAndReads) {
  CliRunOptions options;
  options.systemHost = [this] { return std::make_unique<SystemLikeHost>(machine); };
  EXPECT_EQ(kExitSuccess, RunTq214({"list"}, options).code);
  EXPECT_EQ(kExitSuccess, RunTq214({"info"}, options).code);
  machine.ClearTrace();

  const CliRun run = RunTq214({"update", "--yes"}, options);
  EXPECT_EQ(kExitFailure, run.code);
  ASSERT_EQ(1u, run.errLines().size()) << run.err;
  EXPECT_NE(std::string::npos, run.err.find(kStandInRefusalText));
  EXPECT_NE(std::string::npos, run.err.find("-DTQ214_FIRMWARE_IMAGE="));
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kWriteBufferData) +
                    machine.CountOf(CommandKind::kWriteBridgeMemory));
}

}  // namespace
