// The device-information flow: the five lines, the up-to-date test, and the
// ways a device is turned away.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "seams/SystemGuards.h"
#include "support/WindowFixture.h"

namespace {

using namespace window_paths;

TEST_F(WindowTest, OutdatedEnclosureShowsItsIdentityAndOffersTheUpdate) {
  AddEnclosure();
  TForm1& w = Open();
  EXPECT_EQ("VID[  6B21  ],  PID[  0640  ]", w.pnl_Descript_1.text());
  EXPECT_EQ("Manufacture[  Orvexa  ]", w.pnl_Descript_2.text());
  EXPECT_EQ("USB Prod[  TQ-214 Enclosure  ]", w.pnl_Descript_3.text());
  EXPECT_EQ("HDD String[  TQ-214  USB3.0 SATA Disk  ]", w.pnl_Descript_4.text());
  EXPECT_EQ("Chip FW Version[  21.32.00.01  ]", w.pnl_Descript_5.text());
  EXPECT_TRUE(w.btn_Update.visible());
  EXPECT_TRUE(w.btn_Update.enabled());
  EXPECT_EQ(1, shell.pumps) << "one pump at the successful end";
}

TEST_F(WindowTest, UpToDateEnclosureHidesTheButton) {
  AddCurrentEnclosure();
  TForm1& w = Open();
  EXPECT_EQ("USB Prod[  External USB-3.0  ]", w.pnl_Descript_3.text());
  EXPECT_EQ("Chip FW Version[  21.32.00.03  ] Up to date", w.pnl_Descript_5.text());
  EXPECT_FALSE(w.btn_Update.visible());
}

TEST_F(WindowTest, TargetVersionWithOtherTextsStillOffersTheUpdate) {
  AddEnclosure().SetFirmwareVersion(21, 32, 0, 3);
  TForm1& w = Open();
  EXPECT_EQ("Chip FW Version[  21.32.00.03  ]", w.pnl_Descript_5.text());
  EXPECT_TRUE(w.btn_Update.visible());
  EXPECT_TRUE(w.btn_Update.enabled());
}

TEST_F(WindowTest, DiskTextTrimmedAfterEightCharactersIsNotUpToDate) {
  VirtualEnclosure& chip = AddCurrentEnclosure();
  std::memset(chip.memory() + 0xD000 + 208, ' ', 16);
  TForm1& w = Open();
  EXPECT_EQ("HDD String[  TQ-214  ]", w.pnl_Descript_4.text());
  EXPECT_EQ("Chip FW Version[  21.32.00.03  ]", w.pnl_Descript_5.text());
  EXPECT_TRUE(w.btn_Update.visible());
}

TEST_F(WindowTest, VersionNumbersAbove99PrintInFull) {
  AddEnclosure().SetFirmwareVersion(123, 4, 0, 255);
  EXPECT_EQ("Chip FW Version[  123.04.00.255  ]", Open().pnl_Descript_5.text());
}

TEST_F(WindowTest, OtherFamilyIsTurnedAway) {
  machine.AddDisk(kUsb, VirtualEnclosure::Bridge(3, IdRoute::kInquiry));
  TForm1& w = Open();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  ASSERT_EQ(1u, w.cbb_DeviceList.items().size());
  EXPECT_EQ("No available device!!!", w.cbb_DeviceList.items()[0]);
  EXPECT_FALSE(w.cbb_DeviceList.enabled());
  EXPECT_FALSE(w.btn_Update.enabled());
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kReadFlashIndex));
}

TEST_F(WindowTest, InternalCodeIsTurnedAwayBeforeAnyPromptOrBlockRead) {
  AddEnclosure().SetRunningInternalCode(true);
  shell.OpenDialog("#32770", "Microsoft Windows");
  TForm1& w = Open();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  EXPECT_EQ("NOT support internal code!!", w.pnl_Descript_2.text());
  EXPECT_FALSE(w.btn_Update.enabled());
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kReadBridgeMemory));
  EXPECT_TRUE(shell.dialogs[0].open);
  EXPECT_EQ(0, shell.pumps) << "no pump on the failure ending";
}

TEST_F(WindowTest, BlockReadFailureSaysSo) {
  AddEnclosure().faults().FailEvery(CommandKind::kReadBridgeMemory);
  TForm1& w = Open();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  EXPECT_EQ("Get NVRAM Fail !!", w.pnl_Descript_2.text());
  EXPECT_EQ("", w.pnl_Descript_3.text());
  EXPECT_EQ("", w.pnl_Descript_4.text());
  EXPECT_EQ("", w.pnl_Descript_5.text());
  EXPECT_FALSE(w.btn_Update.enabled());
}

TEST_F(WindowTest, EnclosureAnotherProgramWritesGetsNoCommandAndSaysSo) {
  AddEnclosure();
  const auto held = LockWithinProcess(kUsbLower);
  TForm1& w = Open();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  EXPECT_EQ("Another program is updating this enclosure", w.pnl_Descript_2.text());
  EXPECT_FALSE(w.btn_Update.enabled());
  EXPECT_TRUE(machine.trace().empty()) << "not even discovery's probe";
}

TEST_F(WindowTest, FailingFlashIndexOrChipInformationEndsWithoutAReason) {
  AddEnclosure().faults().FailEvery(CommandKind::kReadFlashIndex);
  TForm1& w = Open();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  EXPECT_EQ("", w.pnl_Descript_2.text());
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kReadBridgeMemory));
}

TEST_F(WindowTest, UnsignedChipInformationEndsWithoutAReason) {
  VirtualEnclosure& chip = AddEnclosure();
  TForm1& w = Open();
  chip.faults().wrongSignature = true;  // identification already happened by INQUIRY
  machine.ClearTrace();
  w.ShowDeviceInfo();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kReadBridgeMemory));
}

TEST_F(WindowTest, PromptsAreClosedInOneHundredAndOnePassesOnTheSystemsThatShowThem) {
  AddEnclosure();
  shell.OpenDialog("#32770", "Microsoft Windows");
  shell.OpenDialog("#32770", "Microsoft Windows");
  shell.OpenDialog("#32770", "Other title");
  shell.OpenDialog("Notepad", "Microsoft Windows");
  Open();
  EXPECT_FALSE(shell.dialogs[0].open);
  EXPECT_FALSE(shell.dialogs[1].open);
  EXPECT_TRUE(shell.dialogs[2].open);
  EXPECT_TRUE(shell.dialogs[3].open);
  EXPECT_EQ(101, std::count(shell.sleeps.begin(), shell.sleeps.end(), 2u));
}

TEST_F(WindowTest, NoPromptPassesOnVersion6Point0) {
  AddEnclosure();
  shell.osMajor = 6;
  shell.osMinor = 0;
  shell.OpenDialog("#32770", "Microsoft Windows");
  Open();
  EXPECT_TRUE(shell.dialogs[0].open);
  EXPECT_EQ(0, std::count(shell.sleeps.begin(), shell.sleeps.end(), 2u));
}

TEST_F(WindowTest, NoCandidatesLeavesTheWindowAsItIs) {
  TForm1& w = Open();
  w.pnl_Descript_2.SetText("kept");
  w.ShowDeviceInfo();
  EXPECT_EQ("kept", w.pnl_Descript_2.text());
}

}  // namespace
