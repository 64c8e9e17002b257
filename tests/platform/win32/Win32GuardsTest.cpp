// The system's guards on Windows, under Wine: one holder of an enclosure's
// named mutex at a time, whatever name the disk was given; a holder that dies
// without letting go leaves it abandoned, which the next takes as free; the
// thread that writes keeps the system awake until it lets go.

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <thread>

#include "platform/win32/Win32Guards.h"

namespace {

constexpr char kPath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kPhysicalDrive[] = "\\\\.\\PhysicalDrive7";

// A machine whose disk 7 is the enclosure, by its interface path and by its
// raw name; no other path leads to a disk.
class DiskSeven final : public ScsiBackend {
 public:
  BackendResult Execute(const ScsiRequest&) override { return {}; }
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override {
    BackendResult outcome;
    if (std::strcmp(path, kPath) != 0 && std::strcmp(path, kPhysicalDrive) != 0) return outcome;
    outcome.opened = outcome.requestSucceeded = true;
    result->DeviceType = FILE_DEVICE_DISK;
    result->DeviceNumber = 7;
    return outcome;
  }
};

TEST(Win32Guards, OneHolderAtATimeAndADeadHolderLetsGo) {
  EXPECT_EQ(0u, EnclosureMutexName(kPath).find("Global\\tq214-##?#usbstor#disk&ven_orvexa"));
  DiskSeven devices;
  Win32Guards guards(devices);
  std::unique_ptr<SystemGuard> held;
  std::thread([&] { held = std::move(guards.LockEnclosure(kPath).guard); }).join();
  ASSERT_NE(nullptr, held);
  // The holder's thread has ended without letting go, as a crashed program
  // would: the mutex is abandoned and counts as free.
  EnclosureLock next = guards.LockEnclosure(kPhysicalDrive);
  EXPECT_TRUE(next.taken()) << next.problem;
  bool refused = false;
  std::thread([&] { refused = guards.LockEnclosure(kPath).outcome == LockOutcome::kBusy; }).join();
  EXPECT_TRUE(refused) << "the disk's other name: held by this thread now";
  EXPECT_TRUE(guards.EnclosureBusy(kPath));
  EXPECT_FALSE(guards.EnclosureBusy("\\\\.\\PhysicalDrive8"));
  held.release();  // its thread is gone; the handle dies with the process
}

TEST(Win32Guards, TheWritingThreadKeepsTheSystemAwakeUntilItLetsGo) {
  DiskSeven devices;
  Win32Guards guards(devices);
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
