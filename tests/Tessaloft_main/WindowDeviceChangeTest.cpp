// Device-change watching, start-up and the window's ties to the system.

#include <gtest/gtest.h>

#include <vector>

#include "Tessaloft_main/SystemPrompt.h"
#include "support/WindowFixture.h"

namespace {

class WindowDeviceChangeTest : public WindowTest {
 protected:
  // Counts refreshes: each one starts by clearing the first line.
  int Refreshes() const { return lineOne_.emptied; }
  void Watch() { form().pnl_Descript_1.SetObserver(&lineOne_); }

 private:
  ChangeCounter lineOne_;
};

TEST_F(WindowDeviceChangeTest, OneRefreshHalfASecondAfterTheLastRelevantEvent) {
  Open();
  Watch();
  shell.Post(kWmDeviceChange, kDbtDevNodesChanged);
  shell.RunLoop(300);
  shell.Post(kWmDeviceChange, kDbtDeviceRemoveComplete);  // restarts the wait
  shell.RunLoop(499);
  EXPECT_EQ(0, Refreshes());
  shell.RunLoop(1);
  EXPECT_EQ(1, Refreshes());
  EXPECT_FALSE(shell.TimerRunning(kRefreshTimerId)) << "one-shot";
  shell.RunLoop(5000);
  EXPECT_EQ(1, Refreshes());
}

TEST_F(WindowDeviceChangeTest, ArrivalAndOtherTimersAreIgnored) {
  Open();
  Watch();
  shell.Post(kWmDeviceChange, kDbtDeviceArrival);
  shell.Post(kWmTimer, 7);
  shell.RunLoop(2000);
  EXPECT_EQ(0, Refreshes());
}

TEST_F(WindowDeviceChangeTest, AttachingAnEnclosureIsNoticed) {
  Open();
  ASSERT_EQ("No available device !!", form().pnl_Descript_1.text());
  machine.AddDisk(window_paths::kUsb, VirtualEnclosure::Tbr640());
  shell.Post(kWmDeviceChange, kDbtDeviceArrival);
  shell.Post(kWmDeviceChange, kDbtDevNodesChanged);
  shell.RunLoop(600);
  EXPECT_EQ("VID[  6B21  ],  PID[  0640  ]", form().pnl_Descript_1.text());
}

TEST_F(WindowDeviceChangeTest, DetachingEndsInTheNoDeviceState) {
  AddEnclosure();
  Open();
  machine.Remove(window_paths::kUsb);
  shell.Post(kWmDeviceChange, kDbtDeviceRemoveComplete);
  shell.RunLoop(600);
  EXPECT_EQ("No available device !!", form().pnl_Descript_1.text());
}

TEST_F(WindowDeviceChangeTest, RefreshRunsInsideTheSeveralDrivesBox) {
  AddEnclosure(window_paths::kUsb);
  AddEnclosure(window_paths::kUsbSecond);
  int nested = 0;
  shell.onMessageBox = [&] {
    if (nested++ == 0) {
      machine.Remove(window_paths::kUsbSecond);
      Form1->WMDeviceChange(kDbtDevNodesChanged);
      shell.RunLoop(500);
    }
  };
  TForm1& w = Open();
  // The inner refresh showed the one device left; the outer one then finished
  // its own remaining steps (the warning lines stay from before its box).
  EXPECT_EQ(1u, shell.boxes.size());
  EXPECT_EQ(1u, w.cbb_DeviceList.items().size());
}

TEST_F(WindowDeviceChangeTest, CreationRegistersForUsbDevicesAndSetsTheCaption) {
  TForm1& w = Open();
  const std::vector<uint8_t> filter = shell.notificationFilter;
  ASSERT_EQ(32u, filter.size());
  EXPECT_EQ(32, filter[0]);
  EXPECT_EQ(5, filter[4]);
  const std::vector<uint8_t> guid(filter.begin() + 12, filter.begin() + 28);
  EXPECT_EQ((std::vector<uint8_t>{0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11, 0x90, 0x1F, 0x00,
                                  0xC0, 0x4F, 0xB9, 0x51, 0xED}),
            guid);
  EXPECT_EQ(shell.registrationToGive, w.DevNotify);
  EXPECT_EQ("Tessaloft_Orvexa_TQ-214_v1.0.0.1", w.Caption);
  Close();
  ASSERT_EQ(1u, shell.unregistered.size());
  EXPECT_EQ(shell.registrationToGive, shell.unregistered[0]);
}

TEST_F(WindowDeviceChangeTest, TheWindowUnregistersFirstAndTheFormThenNothing) {
  Open().UnregisterUsbNotification();  // the window's closing
  form().UnregisterUsbNotification();
  Close();
  EXPECT_EQ(std::vector<NotifyRef>{shell.registrationToGive}, shell.unregistered);
}

TEST_F(WindowDeviceChangeTest, CaptionWithoutVersionInformation) {
  shell.hasVersion = false;
  EXPECT_EQ("Tessaloft_Orvexa_TQ-214_v0.0.0.0", Open().Caption);
}

TEST_F(WindowDeviceChangeTest, ConstructionAlreadyShowsTheDeviceBeforeCreation) {
  AddEnclosure();
  TForm1 w;  // construction alone runs the first refresh
  EXPECT_EQ("VID[  6B21  ],  PID[  0640  ]", w.pnl_Descript_1.text());
  EXPECT_EQ("Form1", w.Caption);
  EXPECT_TRUE(shell.notificationFilter.empty());
}

TEST(SystemPrompt, VersionTestsHoldFor6Point1UpAnd10Point0Only) {
  VirtualShell shell;
  ScopedSeams seams(Seams{nullptr, &shell});
  struct Case {
    uint32_t major, minor;
    bool any;
  };
  const Case cases[] = {{6, 0, false}, {6, 1, true},  {6, 2, true},   {6, 3, true},  {6, 4, true},
                        {5, 1, false}, {10, 0, true}, {10, 1, false}, {11, 0, false}};
  for (const Case& c : cases) {
    shell.osMajor = c.major;
    shell.osMinor = c.minor;
    const bool any = IsVersion6Minor1Up() || IsVersion6Minor2Or3() || IsVersion10Minor0();
    EXPECT_EQ(c.any, any) << c.major << "." << c.minor;
  }
  shell.osMajor = 6;
  shell.osMinor = 3;
  EXPECT_TRUE(IsVersion6Minor2Or3());
  shell.osMinor = 1;
  EXPECT_FALSE(IsVersion6Minor2Or3());
}

TEST(SystemPrompt, RefusedExtendedQueryFallsBackToTheBasicRecord) {
  VirtualShell shell;
  ScopedSeams seams(Seams{nullptr, &shell});
  shell.refuseExtendedVersion = true;
  shell.osMajor = 10;
  OsVersion version;
  ASSERT_TRUE(QueryOsVersion(&version));
  EXPECT_EQ(10u, version.major);
  EXPECT_EQ((std::vector<uint32_t>{156, 148}), shell.versionQueries);
}

TEST(SystemPrompt, CloseSystemPromptClosesOneMatchingDialogPerCall) {
  VirtualShell shell;
  ScopedSeams seams(Seams{nullptr, &shell});
  shell.OpenDialog("#32770", "Microsoft Windows x");
  shell.OpenDialog("#32770", "Microsoft Windows");
  shell.OpenDialog("#32770", "Microsoft Windows");
  EXPECT_EQ(1, CloseSystemPrompt());
  EXPECT_FALSE(shell.dialogs[1].open);
  EXPECT_TRUE(shell.dialogs[2].open);
  EXPECT_EQ(1, CloseSystemPrompt());
  EXPECT_EQ(0, CloseSystemPrompt());
  EXPECT_TRUE(shell.dialogs[0].open);
}

}  // namespace
