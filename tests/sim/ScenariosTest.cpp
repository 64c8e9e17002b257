// Each ready-made machine shows the operator the situation it is named after.

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/Scenarios.h"
#include "support/WindowFixture.h"

namespace {

class ScenariosTest : public WindowTest {
 protected:
  TForm1& OpenScenario(const char* name) {
    EXPECT_TRUE(BuildScenario(name, machine)) << name;
    return Open();
  }
  void Update() { form().btn_UpdateClick(&form().btn_Update); }
};

TEST_F(ScenariosTest, UnknownNameBuildsNothing) {
  EXPECT_FALSE(BuildScenario("no-such-thing", machine));
  EXPECT_EQ(nullptr, machine.Find(kScenarioSystemDiskPath));
}

TEST_F(ScenariosTest, OutdatedUpdatesToPassAndThenReadsUpToDate) {
  TForm1& w = OpenScenario("outdated");
  EXPECT_EQ("USB Prod[  USB3.0 Disk  ]", w.pnl_Descript_3.text());
  EXPECT_EQ("Chip FW Version[  21.32.00.02  ]", w.pnl_Descript_5.text());
  EXPECT_STREQ("E", w.DeviceSlots[0].DriveLetters);
  Update();
  EXPECT_EQ("PASS", w.pnl_Descript_3.text());
  // The enclosure re-enumerates with the new firmware.
  machine.Remove(kScenarioEnclosurePath);
  machine.Reattach(kScenarioEnclosurePath);
  w.btn_RefreshClick(&w.btn_Refresh);
  EXPECT_EQ("Chip FW Version[  21.32.00.03  ] Up to date", w.pnl_Descript_5.text());
}

TEST_F(ScenariosTest, CurrentIsUpToDate) {
  EXPECT_FALSE(OpenScenario("current").btn_Update.visible());
}

TEST_F(ScenariosTest, NoneTwoAndOtherFamily) {
  EXPECT_EQ("No available device !!", OpenScenario("none").pnl_Descript_1.text());
  Close();
  VirtualMachine two;
  ASSERT_TRUE(BuildScenario("two", two));
  VirtualMachine other;
  ASSERT_TRUE(BuildScenario("other-family", other));
  {
    ScopedSeams seams(Seams{&two, &shell, &two, &two, &resources});
    TForm1 w;
    EXPECT_EQ("Multiple USB hard drives are attached.", w.pnl_Descript_1.text());
  }
  {
    ScopedSeams seams(Seams{&other, &shell, &other, &other, &resources});
    TForm1 w;
    EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
    EXPECT_EQ(1u, w.cbb_DeviceList.items().size());
  }
}

TEST_F(ScenariosTest, DevicesTurnedAwayWithTheirReason) {
  EXPECT_EQ("NOT support internal code!!", OpenScenario("internal-code").pnl_Descript_2.text());
  Close();
  VirtualMachine nvram;
  ASSERT_TRUE(BuildScenario("nvram-fail", nvram));
  ScopedSeams seams(Seams{&nvram, &shell, &nvram, &nvram, &resources});
  TForm1 w;
  EXPECT_EQ("Get NVRAM Fail !!", w.pnl_Descript_2.text());
}

TEST_F(ScenariosTest, FailingUpdatesEndInFail) {
  for (const char* name : {"verify-fail", "write-ignored", "unplug-during-update"}) {
    VirtualMachine m;
    ASSERT_TRUE(BuildScenario(name, m));
    ScopedSeams seams(Seams{&m, &shell, &m, &m, &resources});
    TForm1 w;
    ASSERT_TRUE(w.btn_Update.enabled()) << name;
    w.btn_UpdateClick(&w.btn_Update);
    EXPECT_EQ("FAIL", w.pnl_Descript_3.text()) << name;
  }
}

TEST_F(ScenariosTest, UnpluggedEnclosureIsGoneAfterItsTwentiethPiece) {
  OpenScenario("unplug-during-update");
  Update();
  EXPECT_FALSE(machine.Present(kScenarioEnclosurePath));
  EXPECT_EQ(20u, machine.CountOf(CommandKind::kWriteBufferData));
  const auto& trace = machine.trace();
  const auto last = std::find_if(trace.rbegin(), trace.rend(), [](const TraceEntry& e) {
    return e.kind == CommandKind::kWriteBufferData;
  });
  ASSERT_NE(trace.rend(), last);
  EXPECT_TRUE(last->opened);
  EXPECT_EQ(kErrorDeviceNotConnected, last->lastError);
}

TEST_F(ScenariosTest, AfterCommandHookSeesEveryFinishedCommand) {
  BuildScenario("outdated", machine);
  std::vector<CommandKind> seen;
  machine.SetAfterCommand([&](const TraceEntry& e) { seen.push_back(e.kind); });
  Open();
  // Every SCSI command; the device-number queries are no commands.
  std::vector<CommandKind> commands;
  for (const TraceEntry& e : machine.trace()) {
    if (e.kind != CommandKind::kQueryDeviceNumber) commands.push_back(e.kind);
  }
  EXPECT_EQ(commands, seen);
}

}  // namespace
