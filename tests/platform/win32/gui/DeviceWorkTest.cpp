// Device work on the window shell's worker thread: the window thread keeps
// painting, answering, running posted tasks and letting the system run the
// window's frame, but the flows' own messages (timers, device changes,
// clicks) wait until the work has ended.

#include <windows.h>
// <dbt.h> uses the base types that <windows.h> declares.
#include <dbt.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/win32/gui/HeldException.h"
#include "platform/win32/gui/RealWindowFixture.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

// Waits on the worker, with a generous bound, for something the window
// thread must do while the work runs.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) Sleep(10);
  return done();
}
bool WaitFor(const std::atomic<bool>& flag) {
  return WaitFor([&flag] { return flag.load(); });
}

class DeviceWorkTest : public RealWindowTest {};

TEST_F(DeviceWorkTest, WorkRunsOnAWorkerWhileTheWindowThreadRunsItsTasks) {
  Open("outdated");
  const DWORD windowThread = GetCurrentThreadId();
  DWORD workThread = 0;
  DWORD taskThread = 0;
  std::atomic<bool> taskRan{false};
  bool runningDuringWork = false;
  shell.RunDeviceWork([&] {
    workThread = GetCurrentThreadId();
    runningDuringWork = shell.DeviceWorkRunning();
    shell.PostToWindowThread([&] {
      taskThread = GetCurrentThreadId();
      taskRan = true;
    });
    // The task runs while this work is still going on.
    EXPECT_TRUE(WaitFor(taskRan));
  });
  EXPECT_NE(windowThread, workThread);
  EXPECT_EQ(windowThread, taskThread);
  EXPECT_TRUE(runningDuringWork);
  EXPECT_FALSE(shell.DeviceWorkRunning());
}

TEST_F(DeviceWorkTest, TasksPostedLastStillRunBeforeTheWorkReturns) {
  Open("outdated");
  int ran = 0;
  shell.RunDeviceWork([&] {
    for (int i = 0; i < 5; ++i) shell.PostToWindowThread([&ran] { ++ran; });
  });
  EXPECT_EQ(5, ran);
}

TEST_F(DeviceWorkTest, OnTheWindowThreadATaskRunsAtOnce) {
  Open("outdated");
  bool ran = false;
  shell.PostToWindowThread([&ran] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(DeviceWorkTest, TimersAndDeviceChangesWaitUntilTheWorkEnds) {
  Open("outdated");
  LineWatch refreshes;
  form().pnl_Descript_1.SetObserver(&refreshes);
  HWND window = main();
  LRESULT answered = 0;
  DWORD_PTR deviceChangeResult = 0;
  std::atomic<bool> timerSet{false};
  int refreshesDuringWork = -1;
  std::string textDuringWork;

  shell.RunDeviceWork([&] {
    // The refresh timer, due almost at once.
    shell.PostToWindowThread([&] {
      shell.SetWindowTimer(kRefreshTimerId, 1);
      timerSet = true;
    });
    EXPECT_TRUE(WaitFor(timerSet));
    // A device change as the system sends it, with its record.
    DEV_BROADCAST_DEVICEINTERFACE_A record = {};
    record.dbcc_size = sizeof record;
    record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                        reinterpret_cast<LPARAM>(&record), SMTO_BLOCK, 5000, &deviceChangeResult);
    Sleep(300);
    // The window answers messages sent to it all the while.
    char text[128] = {};
    answered = SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                   SMTO_ABORTIFHUNG, 5000, nullptr);
    textDuringWork = text;
    refreshesDuringWork = refreshes.emptied;
  });
  EXPECT_NE(0, answered);
  EXPECT_EQ("Tessaloft_Orvexa_TQ-214_v1.0.0.1", textDuringWork);
  EXPECT_EQ(TRUE, static_cast<BOOL>(deviceChangeResult));
  EXPECT_EQ(0, refreshesDuringWork) << "no refresh while the device works";
  EXPECT_EQ(0, refreshes.emptied);

  // Afterwards the held device change restarts the timer: one refresh.
  ASSERT_TRUE(PumpUntil([&] { return refreshes.emptied >= 1; }, 10000));
  PumpFor(1200);
  EXPECT_EQ(1, refreshes.emptied);
  EXPECT_EQ("Chip FW Version[  21.32.00.02  ]", form().pnl_Descript_5.text());
}

// Sees whether an update started: its first line.
class UpdateStarts final : public ControlObserver {
 public:
  void ControlChanged(const Control& control) override {
    if (control.text() == "DO NOT disconnect the device during the FW update.") ++count;
  }
  int count = 0;
};

TEST_F(DeviceWorkTest, AClickHeldDuringTheWorkCountsIfTheButtonStillTakesIt) {
  Open("outdated");
  UpdateStarts updates;
  form().pnl_Descript_1.SetObserver(&updates);
  HWND window = main();
  HWND button = Child(form().btn_Update);
  const auto click = [window, button] {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  };

  // Clicked during the work, but the button was disabled before it ended.
  shell.RunDeviceWork([&] {
    click();
    shell.PostToWindowThread([&] { form().btn_Update.SetEnabled(false); });
  });
  PumpFor(200);
  EXPECT_EQ(0, updates.count);

  // Clicked during the work, the button still enabled afterwards.
  form().btn_Update.SetEnabled(true);
  shell.RunDeviceWork([&] { click(); });
  EXPECT_EQ(0, updates.count) << "not while the work runs";
  ASSERT_TRUE(PumpUntil([&] { return form().pnl_Descript_3.text() == "PASS"; }, 20000));
  EXPECT_EQ(1, updates.count);
}

TEST_F(DeviceWorkTest, MinimiseAndRestoreTakeEffectWhileTheWorkRuns) {
  Open("outdated");
  view().Show(SW_SHOWNA);
  HWND window = main();
  bool minimised = false;
  bool restored = false;
  shell.RunDeviceWork([&] {
    PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    minimised = WaitFor([window] { return IsIconic(window) != FALSE; });
    PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    restored = WaitFor([window] { return IsIconic(window) == FALSE; });
  });
  EXPECT_TRUE(minimised);
  EXPECT_TRUE(restored);
}

TEST_F(DeviceWorkTest, AClickThatALoopOfTheSystemsDispatchesIsHeldOnce) {
  // The system's own loops (moving the window, its menu) dispatch whatever is
  // queued. A click they hand over waits like any other, and is not handed
  // back to them again and again.
  Open("outdated");
  UpdateStarts updates;
  form().pnl_Descript_1.SetObserver(&updates);
  HWND window = main();
  HWND button = Child(form().btn_Update);
  int dispatched = 0;
  constexpr int kLoopBound = 100;
  shell.RunDeviceWork([&] {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    std::atomic<bool> looped{false};
    shell.PostToWindowThread([&] {
      MSG msg;
      while (dispatched < kLoopBound && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++dispatched;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      looped = true;
    });
    EXPECT_TRUE(WaitFor(looped));
  });
  EXPECT_LT(dispatched, kLoopBound) << "the loop ran dry";
  EXPECT_EQ(0, updates.count) << "not while the work runs";
  ASSERT_TRUE(PumpUntil([&] { return form().pnl_Descript_3.text() == "PASS"; }, 20000));
  EXPECT_EQ(1, updates.count);
}

TEST_F(DeviceWorkTest, AnExceptionInTheWorkReachesTheWindowThread) {
  Open("outdated");
  try {
    shell.RunDeviceWork([] { throw std::runtime_error("device work failed"); });
    FAIL() << "nothing thrown";
  } catch (const std::runtime_error& failure) {
    EXPECT_STREQ("device work failed", failure.what());
  }
  EXPECT_FALSE(shell.DeviceWorkRunning());
}

// A resource store that fails in a way nothing expects.
class BrokenResources final : public Resources {
 public:
  ResourceLookup Find(const char*, const char*) override {
    throw std::runtime_error("resource store gone");
  }
};

TEST_F(DeviceWorkTest, AnExceptionInTheUpdateIsHeldForTheMessageLoop) {
  Open("outdated");
  BrokenResources broken;
  ScopedSeams brokenStore(Seams{&machine, &shell, &machine, &machine, &broken});
  // The image is loaded on the worker; the exception crosses back to the
  // window thread and stops at the window procedure.
  SendMessageA(main(), WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
               reinterpret_cast<LPARAM>(Child(form().btn_Update)));
  EXPECT_FALSE(shell.DeviceWorkRunning());
  try {
    RethrowHeldException();
    FAIL() << "nothing held";
  } catch (...) {
    EXPECT_EQ("resource store gone", ExceptionMessage(std::current_exception()));
  }
  EXPECT_NO_THROW(RethrowHeldException()) << "held once";
}

TEST(HeldExceptionTest, AKindWithoutAMessageShowsAnEmptyOne) {
  EXPECT_EQ("", ExceptionMessage(std::make_exception_ptr(42)));
  EXPECT_EQ("x", ExceptionMessage(std::make_exception_ptr(std::logic_error("x"))));
  EXPECT_EQ(-1, HoldingExceptions([]() -> int { throw 42; }, -1));
  EXPECT_THROW(RethrowHeldException(), int);
}

TEST_F(DeviceWorkTest, PumpingKeepsTheQuitMessageForTheLoop) {
  Open("outdated");
  PostQuitMessage(7);
  shell.ProcessMessages();
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(7u, msg.wParam);
}

}  // namespace
