// The Linux discovery on a sysfs and proc tree laid out like the kernel's:
// which sd disks sit on USB mass storage, UAS or FireWire, how they are named
// to the shared discovery, and where their partitions are mounted.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "IDEAccess/Discovery.h"
#include "Tessaloft_main/TForm1.h"
#include "embedded/EmbeddedResources.h"
#include "platform/linux/MountPoints.h"
#include "platform/linux/NodePathBackend.h"
#include "platform/linux/SysfsDisks.h"
#include "seams/Seams.h"
#include "sim/VirtualMachine.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"
#include "support/VirtualShell.h"

namespace fs = std::filesystem;

namespace {

class SysfsDisksTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    sys_ = temp_.path() / "sys";
    proc_ = temp_.path() / "proc";
    const fs::path pci = sys_ / "devices/pci0000:00";
    Driver(pci / "0000:00:14.0", "pci", "xhci_hcd");

    // USB mass storage, partitioned: sdb1 and sdb2 mounted, sdb3 not.
    const fs::path usb = pci / "0000:00:14.0/usb2/2-1";
    Driver(usb, "usb", "usb");
    Attribute(usb / "serial", "0000000000000214\n");
    Driver(usb / "2-1:1.0", "usb", "usb-storage");
    Disk(usb / "2-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", "8:16");
    Partition("sdb", 1, "8:17");
    Partition("sdb", 2, "8:18");
    Partition("sdb", 3, "8:19");

    // UAS.
    const fs::path uas = pci / "0000:00:14.0/usb2/2-2/2-2:1.0";
    Driver(uas, "usb", "uas");
    Disk(uas / "host7/target7:0:0/7:0:0:0", "sdc", "8:32");

    // FireWire SBP-2.
    const fs::path fw = pci / "0000:00:1e.0/fw0/fw0.0";
    Driver(fw, "firewire", "firewire_sbp2");
    Disk(fw / "host8/target8:0:0/8:0:0:0", "sdd", "8:48");

    // SATA, with the root file system: its port has no driver, its controller does.
    const fs::path sata = pci / "0000:00:17.0";
    Driver(sata, "pci", "ahci");
    Disk(sata / "ata1/host0/target0:0:0/0:0:0:0", "sda", "8:0");
    Partition("sda", 1, "8:1");

    // NVMe: no sd disk at all.
    const fs::path nvme = pci / "0000:00:1d.0";
    Driver(nvme, "pci", "nvme");
    Attribute(nvme / "nvme/nvme0/nvme0n1/dev", "259:0\n");
    Link(sys_ / "block/nvme0n1", nvme / "nvme/nvme0/nvme0n1");

    // A 27th USB disk, to see the kernel's naming order.
    const fs::path late = pci / "0000:00:14.0/usb2/2-3/2-3:1.0";
    Driver(late, "usb", "usb-storage");
    Disk(late / "host9/target9:0:0/9:0:0:0", "sdaa", "65:160");

    Attribute(proc_ / "self/mountinfo",
              "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
              "40 22 8:17 / /media/user/DATA rw,nosuid shared:20 - vfat /dev/sdb1 rw\n"
              "41 22 8:18 / /mnt/backup\\040disk rw shared:21 - ext4 /dev/sdb2 rw\n"
              "42 22 0:5 / /dev rw shared:2 - devtmpfs udev rw\n"
              "broken line\n"
              "43 22 8:32 / /media/user/UAS rw - ext4 /dev/sdc rw\n");
  }

  static void Attribute(const fs::path& path, const std::string& text) {
    ASSERT_TRUE(WriteTextFile(path, text)) << path;
  }
  // A relative link, as sysfs makes them.
  static void Link(const fs::path& link, const fs::path& target) {
    std::error_code error;
    fs::create_directories(link.parent_path(), error);
    ASSERT_FALSE(error) << link;
    fs::create_directories(target, error);
    fs::create_directory_symlink(fs::relative(target, link.parent_path()), link, error);
    ASSERT_FALSE(error) << link;
  }
  // A device bound to `driver` of `bus`.
  void Driver(const fs::path& device, const std::string& bus, const std::string& driver) {
    Link(device / "driver", sys_ / "bus" / bus / "drivers" / driver);
  }
  // A SCSI disk at `scsiDevice` (bound to sd, as every disk is) and its entry in block/.
  void Disk(const fs::path& scsiDevice, const std::string& name, const std::string& dev) {
    Driver(scsiDevice, "scsi", "sd");
    const fs::path block = scsiDevice / "block" / name;
    Attribute(block / "dev", dev + "\n");
    Link(block / "device", scsiDevice);
    Link(sys_ / "block" / name, block);
  }
  void Partition(const std::string& disk, int number, const std::string& dev) {
    const fs::path part = sys_ / "block" / disk / (disk + std::to_string(number));
    Attribute(part / "dev", dev + "\n");
    Attribute(part / "partition", std::to_string(number) + "\n");
  }
  std::vector<std::string> Interfaces(DiskInterfaces& interfaces) {
    std::vector<std::string> paths;
    if (!interfaces.Open()) return paths;
    std::string path;
    for (uint32_t i = 0; interfaces.Get(i, &path) == InterfaceStep::kPath; ++i) {
      paths.push_back(path);
    }
    interfaces.Close();
    return paths;
  }

  TempDir temp_;
  fs::path sys_;
  fs::path proc_;
};

TEST_F(SysfsDisksTest, KeepsUsbUasAndFirewireDisksInTheKernelsOrder) {
  const std::vector<SysfsDisk> disks = FindBridgeTransportDisks(sys_.string());
  ASSERT_EQ(4u, disks.size());
  EXPECT_EQ("sdb", disks[0].name);
  EXPECT_EQ(DiskTransport::kUsbMassStorage, disks[0].transport);
  EXPECT_EQ("sdc", disks[1].name);
  EXPECT_EQ(DiskTransport::kUas, disks[1].transport);
  EXPECT_EQ("sdd", disks[2].name);
  EXPECT_EQ(DiskTransport::kSbp2, disks[2].transport);
  EXPECT_EQ("sdaa", disks[3].name);
}

TEST_F(SysfsDisksTest, InterfacesCarryTheBusWordAndTheNode) {
  SysfsDiskInterfaces interfaces(sys_.string());
  EXPECT_EQ((std::vector<std::string>{"usbstor:/dev/sdb", "scsi:/dev/sdc", "sbp2:/dev/sdd",
                                      "usbstor:/dev/sdaa"}),
            Interfaces(interfaces));
  std::string path;
  EXPECT_EQ(InterfaceStep::kEndOfList, interfaces.Get(0, &path)) << "closed";

  SysfsDiskInterfaces missing((temp_.path() / "nothing").string());
  EXPECT_FALSE(missing.Open());
}

TEST_F(SysfsDisksTest, SerialNumberIsTheUsbDevicesAboveTheDisk) {
  EXPECT_EQ("0000000000000214", UsbSerialOfDisk(sys_.string(), "/dev/sdb"));
  for (const char* none : {"/dev/sdc", "/dev/sdd", "/dev/sda", "/dev/sdz"}) {
    EXPECT_EQ("", UsbSerialOfDisk(sys_.string(), none)) << none;
  }
}

TEST_F(SysfsDisksTest, NodeOfATaggedPathIsTheDeviceNode) {
  EXPECT_EQ("/dev/sdb", NodeOfDiskPath("usbstor:/dev/sdb"));
  EXPECT_EQ("/dev/sdc", NodeOfDiskPath("scsi:/dev/sdc"));
  EXPECT_EQ("/dev/sdd", NodeOfDiskPath("sbp2:/dev/sdd"));
  EXPECT_EQ("/dev/sg2", NodeOfDiskPath("/dev/sg2"));
  EXPECT_EQ("usb:/dev/sdb", NodeOfDiskPath("usb:/dev/sdb"));
}

TEST_F(SysfsDisksTest, MountPointsOfTheDiskAndItsPartitions) {
  EXPECT_EQ((std::vector<std::string>{"/media/user/DATA", "/mnt/backup disk"}),
            MountPointsOfDisk(sys_.string(), proc_.string(), "sdb"));
  EXPECT_EQ((std::vector<std::string>{"/media/user/UAS"}),
            MountPointsOfDisk(sys_.string(), proc_.string(), "sdc"));
  EXPECT_TRUE(MountPointsOfDisk(sys_.string(), proc_.string(), "sdd").empty());
  EXPECT_EQ((std::vector<std::string>{"/"}),
            MountPointsOfDisk(sys_.string(), proc_.string(), "sda"));
  EXPECT_TRUE(MountPointsOfDisk(sys_.string(), (temp_.path() / "none").string(), "sdb").empty());
}

TEST_F(SysfsDisksTest, MountTableLinesAreReadStrictly) {
  const std::vector<DeviceNumbers> sdb1 = {{8, 17}};
  EXPECT_EQ((std::vector<std::string>{"/a", "/tab\there"}),
            MountPointsIn("1 0 8:17 / /a rw - x y rw\n"
                          "2 0 8:170 / /b rw - x y rw\n"  // another minor
                          "3 0 18:17 / /c rw - x y rw\n"  // another major
                          "4 0 8:17 / /a rw - x y rw\n"   // the same place twice
                          "5 0 8:17x / /d rw - x y rw\n"  // no device number
                          "6 0 8:17 / /tab\\011here rw - x y rw\n"
                          "7 0 8:17\n",
                          sdb1));
}

// The shared discovery keeps the tagged disks that answer the probe; the
// window lists them under their bus.
TEST_F(SysfsDisksTest, SharedDiscoveryAndTheWindowWorkOnTheSysfsDisks) {
  SysfsDiskInterfaces interfaces(sys_.string());
  VirtualMachine machine;
  for (const char* path : {"usbstor:/dev/sdb", "scsi:/dev/sdc", "sbp2:/dev/sdd"}) {
    machine.AddDisk(path, VirtualEnclosure::Tbr640());
  }
  machine.AddDisk("usbstor:/dev/sdaa", VirtualEnclosure::PlainDisk());
  VirtualShell shell;
  EmbeddedResources resources;
  ScopedSeams seams(Seams{&machine, &shell, &interfaces, &machine, &resources});

  char buffers[kPathTableEntries][kPathBufferSize] = {};
  char* paths[kPathTableEntries];
  for (size_t i = 0; i < kPathTableEntries; ++i) paths[i] = buffers[i];
  ASSERT_EQ(3, EnumerateBridgeDisks(paths, 1));
  EXPECT_STREQ("sbp2:/dev/sdd", paths[2]);
  EXPECT_EQ(2, EnumerateBridgeDisks(paths, 0)) << "FireWire only when asked for";

  TForm1 window;
  const std::vector<std::string>& items = window.cbb_DeviceList.items();
  ASSERT_EQ(3u, items.size());
  EXPECT_EQ(0u, items[0].find("<<USB>> "));
  EXPECT_EQ(0u, items[1].find("<<UASP>> "));
  EXPECT_EQ(0u, items[2].find("<<1394>> "));
}

TEST(NodePathBackend, OpensTheNodeBehindATaggedPath) {
  RecordingBackend device;
  NodePathBackend nodes(device);
  uint8_t record[ptr::kSize] = {};
  ScsiRequest request;
  request.record = record;
  for (const char* path : {"scsi:/dev/sdc", "/dev/sg3"}) {
    request.path = path;
    nodes.Execute(request);
  }
  StorageDeviceNumber number;
  nodes.QueryDeviceNumber("usbstor:/dev/sdb", &number);
  ASSERT_EQ(3u, device.requests.size());
  EXPECT_EQ("/dev/sdc", device.requests[0].path);
  EXPECT_EQ("/dev/sg3", device.requests[1].path);
  EXPECT_EQ("/dev/sdb", device.requests[2].path);
}

}  // namespace
