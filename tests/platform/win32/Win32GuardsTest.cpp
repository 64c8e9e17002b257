// The system's guards on Windows, under Wine: one holder of an enclosure's
// named mutex at a time; a holder that dies without letting go leaves it
// abandoned, which the next takes as free; the thread that writes keeps the
// system awake until it lets go.

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "platform/win32/Win32Guards.h"

namespace {

constexpr char kPath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

TEST(Win32Guards, OneHolderAtATimeAndADeadHolderLetsGo) {
  EXPECT_EQ(0u, EnclosureMutexName(kPath).find("Global\\tq214-##?#usbstor#disk&ven_orvexa"));
  Win32Guards guards;
  std::unique_ptr<SystemGuard> held;
  std::thread([&] { held = guards.LockEnclosure(kPath); }).join();
  ASSERT_NE(nullptr, held);
  // The holder's thread has ended without letting go, as a crashed program
  // would: the mutex is abandoned and counts as free.
  std::unique_ptr<SystemGuard> next = guards.LockEnclosure(kPath);
  EXPECT_NE(nullptr, next);
  bool refused = false;
  std::thread([&] { refused = guards.LockEnclosure(kPath) == nullptr; }).join();
  EXPECT_TRUE(refused) << "held by this thread now";
  held.release();  // its thread is gone; the handle dies with the process
}

TEST(Win32Guards, TheWritingThreadKeepsTheSystemAwakeUntilItLetsGo) {
  Win32Guards guards;
  std::string note;
  std::unique_ptr<SystemGuard> awake = guards.KeepAwake(&note);
  ASSERT_NE(nullptr, awake) << note;
  // Each call answers with the state before it: the one the guard set.
  EXPECT_EQ(static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED),
            SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
  awake.reset();
  EXPECT_EQ(static_cast<EXECUTION_STATE>(ES_CONTINUOUS), SetThreadExecutionState(ES_CONTINUOUS));
}

}  // namespace
