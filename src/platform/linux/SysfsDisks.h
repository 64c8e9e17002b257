#pragma once
// The disks of a Linux machine that may sit behind a bridge, found in sysfs:
// every <sys>/block/sd* whose transport is USB mass storage (driver
// usb-storage), UAS (driver uas) or FireWire SBP-2 (driver firewire_sbp2, or
// sbp2 of the old 1394 stack). The transport is the driver of the first
// device above the disk's SCSI device that has one; a SATA disk meets its
// host controller's driver there, an NVMe disk is no sd* at all.
//
// Discovery keeps a disk when its name carries a bus word and the window's
// list labels the bus by the same words, so each disk is named by the word of
// its transport, a colon and its device node:
//   usb-storage             "usbstor:/dev/sdb"   bus "USB"
//   uas                     "scsi:/dev/sdc"      bus "UASP"
//   firewire_sbp2, sbp2     "sbp2:/dev/sdd"      bus "1394"
// NodePathBackend takes the word off again before the node is opened.

#include <cstdint>
#include <string>
#include <vector>

#include "seams/DiskInterfaces.h"

enum class DiskTransport : uint8_t { kUsbMassStorage, kUas, kSbp2 };

struct SysfsDisk {
  std::string name;  // "sdb"
  DiskTransport transport = DiskTransport::kUsbMassStorage;
};

// The disks on one of the three transports, in the kernel's naming order (sda
// to sdz, then sdaa). Empty when <sys>/block cannot be read.
std::vector<SysfsDisk> FindBridgeTransportDisks(const std::string& sysRoot);

// The place of a disk in sysfs: for /dev/sdb, the resolved
// <sys>/block/sdb/device up to its SCSI host (on USB, the interface the
// enclosure is attached by); empty when sysfs does not know the disk.
std::string DiskPlaceInSysfs(const std::string& sysRoot, const std::string& node);
// The serial number (iSerial) of the USB device a disk sits on: the `serial`
// of the device above the interface; "" when it has none or is not on USB.
std::string UsbSerialOfDisk(const std::string& sysRoot, const std::string& node);

// "usbstor:/dev/sdb" and the like.
std::string TaggedDiskPath(const SysfsDisk& disk);
// The node a tagged path names; any other path is returned as it is.
std::string NodeOfDiskPath(const std::string& path);

// The disk interface list of the shared discovery, read from sysfs at Open.
class SysfsDiskInterfaces final : public DiskInterfaces {
 public:
  explicit SysfsDiskInterfaces(std::string sysRoot = "/sys");

  bool Open() override;
  InterfaceStep Get(uint32_t index, std::string* path) override;
  void Close() override;

 private:
  std::string sysRoot_;
  std::vector<std::string> paths_;
  bool open_ = false;
};
