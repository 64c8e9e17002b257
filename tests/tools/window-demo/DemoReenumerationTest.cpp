// The demo's enclosure after an update: it is removed and attached again
// once the update flow has returned, and the window, told by the device
// changes, ends showing the new firmware up to date. Unplugged during the
// update, it is announced gone and the window ends with no device.

#include <windows.h>
// <dbt.h> uses the base types that <windows.h> declares.
#include <dbt.h>

#include <string>

#include "platform/win32/gui/RealWindowFixture.h"
#include "platform/win32/gui/WindowMessages.h"
#include "window-demo/EnclosurePace.h"
#include "window-demo/Replug.h"

namespace {

// Sees the enclosure go and come back.
class Presence {
 public:
  explicit Presence(VirtualMachine& machine) : machine_(machine) {}
  void Look() {
    const bool present = machine_.Present(kScenarioEnclosurePath);
    if (!present) sawGone = true;
    if (present && sawGone) sawBack = true;
  }
  bool sawGone = false;
  bool sawBack = false;

 private:
  VirtualMachine& machine_;
};

class DemoReenumerationTest : public RealWindowTest {
 protected:
  DemoReenumerationTest() : pace(machine, 0, 0), replug(machine, shell) {
    pace.onUpdated = [this](const std::string& path) {
      updatedDuringWork = shell.DeviceWorkRunning();
      replug.Reenumerate(path);
    };
    pace.onVanished = [this](const std::string& path) { replug.Vanished(path); };
    pace.Install();
  }
  ~DemoReenumerationTest() override { machine.SetAfterCommand(nullptr); }

  void OpenDemo(const char* scenario) {
    Open(scenario);
    ASSERT_TRUE(replug.Create(GetModuleHandleA(nullptr), main()));
    // The update empties line 1 too; only a refresh empties line 3.
    form().pnl_Descript_3.SetObserver(&refreshes);
  }
  void PressUpdate() {
    SendMessageA(main(), WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Child(form().btn_Update)));
  }

  EnclosurePace pace;
  Replug replug;
  LineWatch refreshes;
  bool updatedDuringWork = false;
};

TEST_F(DemoReenumerationTest, AfterPassTheEnclosureComesBackUpToDate) {
  OpenDemo("outdated");
  PressUpdate();
  EXPECT_EQ("PASS", form().pnl_Descript_3.text());
  EXPECT_TRUE(updatedDuringWork) << "the read-back is the worker's";
  EXPECT_TRUE(machine.Present(kScenarioEnclosurePath)) << "removed only after the flow returned";
  EXPECT_EQ(0, refreshes.emptied);

  Presence presence(machine);
  ASSERT_TRUE(PumpUntil(
      [&] {
        presence.Look();
        return refreshes.emptied >= 1;
      },
      10000));
  EXPECT_TRUE(presence.sawGone);
  EXPECT_TRUE(presence.sawBack);
  PumpFor(1000);
  EXPECT_EQ(1, refreshes.emptied) << "removal and arrival lead to one refresh";
  EXPECT_EQ("Chip FW Version[  21.32.00.03  ] Up to date", form().pnl_Descript_5.text());
  EXPECT_EQ("USB Prod[  External USB-3.0  ]", form().pnl_Descript_3.text());
  EXPECT_FALSE(Shown(Child(form().btn_Update)));
}

TEST_F(DemoReenumerationTest, UnpluggedDuringTheUpdateEndsWithNoDevice) {
  OpenDemo("unplug-during-update");
  PressUpdate();
  EXPECT_EQ("FAIL", form().pnl_Descript_3.text());
  ASSERT_TRUE(PumpUntil([&] { return refreshes.emptied >= 1; }, 10000));
  EXPECT_EQ("No available device !!", form().pnl_Descript_1.text());
}

TEST_F(DemoReenumerationTest, FailedVerifyStaysOnFail) {
  OpenDemo("verify-fail");
  PressUpdate();
  EXPECT_EQ("FAIL", form().pnl_Descript_3.text());
  PumpFor(1500);
  EXPECT_EQ(0, refreshes.emptied);
  EXPECT_EQ("FAIL", form().pnl_Descript_3.text());
}

}  // namespace
