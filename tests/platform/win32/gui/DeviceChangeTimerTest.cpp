// Device changes reaching the real window: the system's message restarts the
// real window timer 101, whose expiry runs one refresh. Counted, not timed:
// every refresh empties the first line first.

#include <windows.h>
// <dbt.h> uses the base types that <windows.h> declares.
#include <dbt.h>

#include "platform/win32/gui/RealWindowFixture.h"

namespace {

class DeviceChangeTimerTest : public RealWindowTest {
 protected:
  // As the system does: sent, with the interface's record where the event
  // has one.
  void Notify(WPARAM event) {
    DEV_BROADCAST_DEVICEINTERFACE_A record = {};
    record.dbcc_size = sizeof record;
    record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    const LPARAM lParam = event == DBT_DEVNODES_CHANGED ? 0 : reinterpret_cast<LPARAM>(&record);
    SendMessageA(main(), WM_DEVICECHANGE, event, lParam);
  }
  // Waits (with a bound) for a refresh, then long enough for a second one.
  int RefreshesAfterwards(LineWatch& refreshes) {
    PumpUntil([&] { return refreshes.emptied >= 1; }, 10000);
    PumpFor(1500);
    return refreshes.emptied;
  }
};

TEST_F(DeviceChangeTimerTest, OneNotificationLeadsToOneRefresh) {
  Open("outdated");
  LineWatch refreshes;
  form().pnl_Descript_1.SetObserver(&refreshes);
  Notify(DBT_DEVNODES_CHANGED);
  EXPECT_EQ(1, RefreshesAfterwards(refreshes));
  EXPECT_EQ("Chip FW Version[  21.32.00.02  ]", form().pnl_Descript_5.text());
}

TEST_F(DeviceChangeTimerTest, ABurstOfNotificationsLeadsToOneRefresh) {
  Open("outdated");
  LineWatch refreshes;
  form().pnl_Descript_1.SetObserver(&refreshes);
  Notify(DBT_DEVICEREMOVECOMPLETE);
  PumpFor(100);
  Notify(DBT_DEVNODES_CHANGED);
  PumpFor(100);
  Notify(DBT_DEVNODES_CHANGED);
  EXPECT_EQ(1, RefreshesAfterwards(refreshes));
}

TEST_F(DeviceChangeTimerTest, ArrivalAloneIsIgnored) {
  Open("outdated");
  LineWatch refreshes;
  form().pnl_Descript_1.SetObserver(&refreshes);
  Notify(DBT_DEVICEARRIVAL);
  PumpFor(1500);
  EXPECT_EQ(0, refreshes.emptied);
}

TEST_F(DeviceChangeTimerTest, RemovalEndsInTheNoDeviceState) {
  Open("outdated");
  LineWatch refreshes;
  form().pnl_Descript_1.SetObserver(&refreshes);
  machine.Remove(kScenarioEnclosurePath);
  Notify(DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(1, RefreshesAfterwards(refreshes));
  EXPECT_EQ("No available device !!", form().pnl_Descript_1.text());
  EXPECT_FALSE(IsWindowEnabled(Child(form().btn_Update)));
}

}  // namespace
