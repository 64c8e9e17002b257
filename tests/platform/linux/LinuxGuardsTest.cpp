// The enclosure's lock on Linux: named from the enclosure's place in sysfs,
// so that a new SCSI host number (the enclosure plugged in again) or another
// /dev name keeps the same lock; held by one holder at a time; free again
// when the holder lets go; a reader sees it held without taking it, and
// readers hold it shared.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/linux/LinuxGuards.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

TEST(LinuxGuards, OneLockPerEnclosurePlaceWhateverItsNodeOrHost) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  const fs::path sys = temp.path() / "sys";
  const fs::path usb = sys / "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0";
  for (const auto& [disk, host] : {std::pair{"sdb", "host6"}, {"sdc", "host9"}}) {
    const fs::path device = usb / host / "target0:0:0/0:0:0:0";
    fs::create_directories(device);
    fs::create_directories(sys / "block" / disk);
    fs::create_directory_symlink(device, sys / "block" / disk / "device");
  }
  fs::create_directories(temp.path() / "locks");
  LinuxGuards guards(sys.string(), (temp.path() / "locks").string());

  const std::string file = guards.LockFileOf("usbstor:/dev/sdb");
  EXPECT_EQ(file, guards.LockFileOf("/dev/sdc")) << "the same USB interface";
  EXPECT_NE(std::string::npos, file.find("usb2_2-1_2-1_1.0.lock")) << file;
  EXPECT_NE(file, guards.LockFileOf("/dev/sdd")) << "a disk sysfs does not know: its node";

  EXPECT_FALSE(guards.EnclosureBusy("/dev/sdc")) << "no lock file yet";
  auto first = guards.LockEnclosure("usbstor:/dev/sdb");
  ASSERT_TRUE(first.taken()) << first.problem;
  EXPECT_EQ(LockOutcome::kBusy, guards.LockEnclosure("/dev/sdc").outcome);
  EXPECT_TRUE(guards.EnclosureBusy("/dev/sdc")) << "seen without taking it";
  EXPECT_EQ(LockOutcome::kBusy, guards.ShareEnclosure("/dev/sdc").outcome);
  EXPECT_TRUE(guards.LockEnclosure("/dev/sdd").taken());
  first.guard.reset();
  EXPECT_FALSE(guards.EnclosureBusy("/dev/sdc"));
  // Readers share it, and a reader is no writer to those who look.
  auto reading = guards.ShareEnclosure("/dev/sdc");
  ASSERT_TRUE(reading.taken()) << reading.problem;
  EXPECT_TRUE(guards.ShareEnclosure("usbstor:/dev/sdb").taken());
  EXPECT_FALSE(guards.EnclosureBusy("/dev/sdc"));
  // A writer waits for a reader's probe to end rather than calling it busy.
  std::thread probe([&reading] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    reading.guard.reset();
  });
  EXPECT_TRUE(guards.LockEnclosure("/dev/sdc").taken());
  probe.join();
  // Only the device's group may open it (the lock folder's, for a path
  // that is no device node).
  EXPECT_EQ(fs::perms(0640), fs::status(temp.path() / "locks" / file).permissions());
}

}  // namespace
