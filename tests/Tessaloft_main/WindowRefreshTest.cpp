// The refresh flow: what the window shows for the disks it finds.

#include <gtest/gtest.h>

#include <cstring>

#include "support/WindowFixture.h"

namespace {

using namespace window_paths;

const char kIdentity[] = "Orvexa  TQ-214 Enclosure";  // INQUIRY bytes 8-31

TEST_F(WindowTest, NoDeviceShowsTheNoDeviceStateWithoutABox) {
  TForm1& w = Open();
  EXPECT_EQ("No available device !!", w.pnl_Descript_1.text());
  for (const TPanel* line :
       {&w.pnl_Descript_2, &w.pnl_Descript_3, &w.pnl_Descript_4, &w.pnl_Descript_5}) {
    EXPECT_EQ("", line->text()) << line->name();
  }
  ASSERT_EQ(1u, w.cbb_DeviceList.items().size());
  EXPECT_EQ("No available device!!!", w.cbb_DeviceList.items()[0]);
  EXPECT_EQ(0, w.cbb_DeviceList.itemIndex());
  EXPECT_FALSE(w.cbb_DeviceList.enabled());
  EXPECT_FALSE(w.btn_Update.enabled());
  EXPECT_EQ(0, w.CandidateCount);
  EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(WindowTest, OneUsbEnclosureIsListedWithItsInquiryIdentity) {
  AddEnclosure(kUsb);
  TForm1& w = Open();
  ASSERT_EQ(1u, w.cbb_DeviceList.items().size());
  EXPECT_EQ(std::string("<<USB>> ") + kIdentity, w.cbb_DeviceList.items()[0]);
  EXPECT_TRUE(w.cbb_DeviceList.enabled());
  EXPECT_STREQ(kUsbLower, w.DeviceSlots[0].Path) << "paths are listed lower-cased";
  EXPECT_EQ(19, w.ChipCode & 0xFF);
  EXPECT_EQ(1, w.CandidateCount);
}

TEST_F(WindowTest, BusPrefixFollowsThePath) {
  AddEnclosure(kUas);
  EXPECT_EQ(std::string("<<UASP>> ") + kIdentity, Open().cbb_DeviceList.items()[0]);
}

TEST_F(WindowTest, FirewirePrefix) {
  AddEnclosure(kFirewire);
  EXPECT_EQ(std::string("<<1394>> ") + kIdentity, Open().cbb_DeviceList.items()[0]);
}

TEST_F(WindowTest, FirewireWinsOverScsiInOnePath) {
  AddEnclosure("\\\\?\\sbp2#scsi&orvexa#1&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
  EXPECT_EQ(0u, Open().cbb_DeviceList.items()[0].find("<<1394>> "));
}

TEST_F(WindowTest, TwoEnclosuresWarnAndKeepTheUpdateOff) {
  AddEnclosure(kUsb);
  AddEnclosure(kUsbSecond);
  TForm1& w = Open();
  EXPECT_EQ("Multiple USB hard drives are attached.", w.pnl_Descript_1.text());
  EXPECT_EQ("Please disconnect all drives", w.pnl_Descript_2.text());
  EXPECT_EQ("except the one that needs to be updated.", w.pnl_Descript_3.text());
  EXPECT_EQ("", w.pnl_Descript_4.text());
  EXPECT_EQ("", w.pnl_Descript_5.text());
  ASSERT_EQ(1u, shell.boxes.size());
  EXPECT_EQ(
      "Multiple USB hard drives are attached.\nPlease disconnect all drives\n except the one "
      "that needs to be updated.",
      shell.boxes[0].text);
  EXPECT_EQ("Warning", shell.boxes[0].caption);
  EXPECT_EQ(kMbIconWarning | kMbTaskModal, shell.boxes[0].style);
  EXPECT_EQ(2u, w.cbb_DeviceList.items().size());
  EXPECT_FALSE(w.btn_Update.enabled());
}

TEST_F(WindowTest, OnlyTheRecognisedCandidateIsListedInSlotZero) {
  // Disks that pass discovery's probe (INQUIRY and chip information) but
  // whose bridge nothing identifies.
  VirtualEnclosure unknown = VirtualEnclosure::PlainDisk();
  unknown.SetAnswers(CommandKind::kGetChipInfo, true);
  machine.AddDisk("\\\\?\\usbstor#disk&ven_other#1#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
                  unknown);
  AddEnclosure(kUsb);
  machine.AddDisk("\\\\?\\usbstor#disk&ven_other#3#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
                  unknown);
  machine.AddVolume('E', kUsb, 1);
  machine.AddVolume('F', kUsb, 2);
  TForm1& w = Open();
  EXPECT_EQ(3, w.CandidateCount);
  ASSERT_EQ(1u, w.cbb_DeviceList.items().size());
  EXPECT_STREQ(kUsbLower, w.DeviceSlots[0].Path);
  EXPECT_STREQ("EF", w.DeviceSlots[0].DriveLetters);
  EXPECT_TRUE(w.btn_Update.enabled());
}

TEST_F(WindowTest, FailedInquiryCarriesThePreviousIdentification) {
  AddEnclosure(kUsb);
  VirtualEnclosure& second = AddEnclosure(kUsbSecond);
  std::memcpy(&second.identity().inquiry[8], "Another ", 8);
  // Discovery sends INQUIRY and chip information; the third command is the
  // refresh's own INQUIRY.
  second.faults().failCommandNumber = 3;
  TForm1& w = Open();
  ASSERT_EQ(2u, w.cbb_DeviceList.items().size());
  EXPECT_EQ(w.cbb_DeviceList.items()[0], w.cbb_DeviceList.items()[1]);

  second.faults().failCommandNumber = 0;
  w.btn_RefreshClick(&w.btn_Refresh);
  EXPECT_EQ(std::string("<<USB>> Another TQ-214 Enclosure"), w.cbb_DeviceList.items()[1]);
}

TEST_F(WindowTest, RefreshUndoesTheLargeResult) {
  AddEnclosure(kUsb);
  TForm1& w = Open();
  w.btn_UpdateClick(&w.btn_Update);
  ASSERT_EQ(34, w.pnl_Descript_3.font().sizePoints);
  w.btn_RefreshClick(&w.btn_Refresh);
  EXPECT_EQ(12, w.pnl_Descript_3.font().sizePoints);
  EXPECT_FALSE(w.pnl_Descript_3.font().bold);
  EXPECT_TRUE(w.pnl_Descript_3.font().windowTextColour);
}

}  // namespace
