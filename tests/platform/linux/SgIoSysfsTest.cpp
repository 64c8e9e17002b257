// Which disk a node names, answered from a sysfs tree laid out like the
// kernel's: directories under devices/, symbolic links from dev/ and class/.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "IDEAccess/ScsiTransport.h"
#include "platform/linux/SgIoBackend.h"
#include "seams/Seams.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kDiskType = 7;
// 8:16, the disk /dev/sdb, as (major << 20) | minor.
constexpr uint32_t kSdbNumber = 0x00800010;
// 259:0, the disk /dev/nvme0n1.
constexpr uint32_t kNvmeNumber = 0x10300000;

class SgIoSysfs : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    root_ = temp_.path() / "sys";
    const fs::path host = root_ / "devices/pci0000:00/0000:00:14.0/usb2/host6";
    const fs::path disk = host / "target6:0:0/6:0:0:0";
    const fs::path enclosure = host / "target6:0:1/6:0:1:0";
    const fs::path nvme = root_ / "devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1";
    const fs::path serial = root_ / "devices/platform/serial8250/tty/ttyS0";

    // A USB disk with two partitions and its SCSI generic node.
    Attribute(disk / "block/sdb/dev", "8:16\n");
    Attribute(disk / "block/sdb/sdb1/dev", "8:17\n");
    Attribute(disk / "block/sdb/sdb1/partition", "1\n");
    Attribute(disk / "block/sdb/sdb2/dev", "8:18\n");
    Attribute(disk / "block/sdb/sdb2/partition", "2\n");
    Attribute(disk / "scsi_generic/sg1/dev", "21:1\n");
    Link(disk / "scsi_generic/sg1/device", disk);
    Link(root_ / "dev/block/8:16", disk / "block/sdb");
    Link(root_ / "dev/block/8:17", disk / "block/sdb/sdb1");
    Link(root_ / "dev/block/8:18", disk / "block/sdb/sdb2");
    Link(root_ / "dev/char/21:1", disk / "scsi_generic/sg1");
    Link(root_ / "class/scsi_generic/sg1", disk / "scsi_generic/sg1");

    // A SCSI device without a disk (an enclosure service) with its generic node.
    Attribute(enclosure / "scsi_generic/sg2/dev", "21:2\n");
    Link(enclosure / "scsi_generic/sg2/device", enclosure);
    Link(root_ / "dev/char/21:2", enclosure / "scsi_generic/sg2");
    Link(root_ / "class/scsi_generic/sg2", enclosure / "scsi_generic/sg2");

    // A disk whose partitions' minors are not next to the disk's.
    Attribute(nvme / "dev", "259:0\n");
    Attribute(nvme / "nvme0n1p3/dev", "259:3\n");
    Attribute(nvme / "nvme0n1p3/partition", "3\n");
    Link(root_ / "dev/block/259:0", nvme);
    Link(root_ / "dev/block/259:3", nvme / "nvme0n1p3");

    // A character device of another driver.
    Attribute(serial / "dev", "4:64\n");
    Link(root_ / "dev/char/4:64", serial);

    // Another driver's device that happens to carry a generic node's name.
    Attribute(root_ / "devices/virtual/misc/sg1/dev", "10:99\n");
    Link(root_ / "dev/char/10:99", root_ / "devices/virtual/misc/sg1");
  }

  static void Attribute(const fs::path& path, const std::string& text) {
    ASSERT_TRUE(WriteTextFile(path, text)) << path;
  }

  // A relative link, as sysfs makes them.
  static void Link(const fs::path& link, const fs::path& target) {
    std::error_code error;
    fs::create_directories(link.parent_path(), error);
    ASSERT_FALSE(error) << link;
    fs::create_directory_symlink(fs::relative(target, link.parent_path()), link, error);
    ASSERT_FALSE(error) << link;
  }

  int Lookup(unsigned devMajor, unsigned devMinor, bool isBlock) {
    return DeviceNumberFromSysfs(root_.string(), devMajor, devMinor, isBlock, &answer_);
  }

  TempDir temp_;
  fs::path root_;
  StorageDeviceNumber answer_;
};

TEST_F(SgIoSysfs, WholeDiskIsPartitionZero) {
  ASSERT_EQ(Lookup(8, 16, true), 0);
  EXPECT_EQ(answer_.DeviceType, kDiskType);
  EXPECT_EQ(answer_.DeviceNumber, kSdbNumber);
  EXPECT_EQ(answer_.PartitionNumber, 0u);

  ASSERT_EQ(Lookup(259, 0, true), 0);
  EXPECT_EQ(answer_.DeviceNumber, kNvmeNumber);
  EXPECT_EQ(answer_.PartitionNumber, 0u);
}

TEST_F(SgIoSysfs, PartitionsShareTheirDisksNumber) {
  ASSERT_EQ(Lookup(8, 17, true), 0);
  EXPECT_EQ(answer_.DeviceType, kDiskType);
  EXPECT_EQ(answer_.DeviceNumber, kSdbNumber);
  EXPECT_EQ(answer_.PartitionNumber, 1u);

  ASSERT_EQ(Lookup(8, 18, true), 0);
  EXPECT_EQ(answer_.DeviceNumber, kSdbNumber);
  EXPECT_EQ(answer_.PartitionNumber, 2u);

  ASSERT_EQ(Lookup(259, 3, true), 0);
  EXPECT_EQ(answer_.DeviceNumber, kNvmeNumber);
  EXPECT_EQ(answer_.PartitionNumber, 3u);
}

TEST_F(SgIoSysfs, GenericNodeAnswersForItsDisk) {
  ASSERT_EQ(Lookup(21, 1, false), 0);
  EXPECT_EQ(answer_.DeviceType, kDiskType);
  EXPECT_EQ(answer_.DeviceNumber, kSdbNumber);
  EXPECT_EQ(answer_.PartitionNumber, 0u);
}

TEST_F(SgIoSysfs, NodesThatLeadToNoDiskFailAndLeaveTheAnswer) {
  answer_.DeviceType = 0xAAAA;
  answer_.DeviceNumber = 0xBBBB;
  answer_.PartitionNumber = 0xCCCC;

  EXPECT_EQ(Lookup(21, 2, false), ENODEV);   // generic node without a disk
  EXPECT_EQ(Lookup(4, 64, false), ENOTTY);   // not a generic node
  EXPECT_EQ(Lookup(10, 99, false), ENOTTY);  // not one either, whatever its name
  EXPECT_EQ(Lookup(8, 32, true), ENODEV);    // unknown to sysfs
  EXPECT_EQ(Lookup(21, 9, false), ENODEV);

  EXPECT_EQ(answer_.DeviceType, 0xAAAAu);
  EXPECT_EQ(answer_.DeviceNumber, 0xBBBBu);
  EXPECT_EQ(answer_.PartitionNumber, 0xCCCCu);
}

TEST_F(SgIoSysfs, UnreadableAttributesFail) {
  const fs::path disk = fs::canonical(root_ / "dev/block/8:16");
  Attribute(disk / "dev", "8-16\n");
  EXPECT_EQ(Lookup(8, 17, true), ENODEV);  // the partition's disk cannot be named

  Attribute(disk / "sdb2/partition", "two\n");
  EXPECT_EQ(Lookup(8, 18, true), ENODEV);

  Attribute(disk / "dev", "8:16 trailing\n");
  EXPECT_EQ(Lookup(8, 17, true), ENODEV);
  EXPECT_EQ(Lookup(21, 1, false), ENODEV);

  Attribute(disk / "dev", "8:16\n");
  EXPECT_EQ(Lookup(8, 17, true), 0);
  EXPECT_EQ(answer_.DeviceNumber, kSdbNumber);
}

// The whole query on a real character node (/dev/null), with the fake tree
// saying what its number stands for.
class SgIoQueryOnNode : public SgIoSysfs {
 protected:
  void SetUp() override {
    SgIoSysfs::SetUp();
    if (HasFatalFailure()) return;
    struct stat status = {};
    ASSERT_EQ(stat(kNode, &status), 0);
    ASSERT_TRUE(S_ISCHR(status.st_mode));
    nodeLink_ =
        root_ / "dev/char" /
        (std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev)));
    ASSERT_FALSE(fs::exists(fs::symlink_status(nodeLink_)));
  }

  static constexpr char kNode[] = "/dev/null";
  fs::path nodeLink_;
};

TEST_F(SgIoQueryOnNode, GenericNodeAnswersThroughTheTransport) {
  Link(nodeLink_, root_ /
                      "devices/pci0000:00/0000:00:14.0/usb2/host6/target6:0:0/6:0:0:0/"
                      "scsi_generic/sg1");
  SgIoBackend backend(root_.string());
  ScopedSeams guard(Seams{&backend, nullptr});

  StorageDeviceNumber answer;
  ASSERT_EQ(QueryDeviceNumber(kNode, &answer), 1);
  EXPECT_EQ(answer.DeviceType, kDiskType);
  EXPECT_EQ(answer.DeviceNumber, kSdbNumber);
  EXPECT_EQ(answer.PartitionNumber, 0u);
}

TEST_F(SgIoQueryOnNode, OtherCharacterDeviceIsNotADisk) {
  Link(nodeLink_, root_ / "devices/platform/serial8250/tty/ttyS0");
  SgIoBackend backend(root_.string());

  StorageDeviceNumber answer;
  answer.DeviceNumber = 0x1234;
  const BackendResult result = backend.QueryDeviceNumber(kNode, &answer);
  EXPECT_TRUE(result.opened);
  EXPECT_FALSE(result.requestSucceeded);
  EXPECT_EQ(result.lastError, static_cast<uint32_t>(ENOTTY));
  EXPECT_EQ(answer.DeviceNumber, 0x1234u);

  ScopedSeams guard(Seams{&backend, nullptr});
  EXPECT_EQ(QueryDeviceNumber(kNode, &answer), 0);
  EXPECT_EQ(answer.DeviceNumber, 0x1234u);
}

}  // namespace
