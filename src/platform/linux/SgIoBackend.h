#pragma once
// The Linux backend: one pass-through record becomes one SG_IO request on the
// device node (a disk such as /dev/sdb, or its SCSI generic node /dev/sgN).
// The translation in both directions is kept in free functions so that it can
// be exercised without a device.

#include <scsi/sg.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "seams/ScsiBackend.h"
#include "seams/StorageDeviceNumber.h"

namespace sgio {

// Sense bytes the kernel may deliver; they are read by nobody above this seam.
constexpr size_t kSenseSize = 32;

// The device type reported for every disk: the system's disk device type.
constexpr uint32_t kDiskDeviceType = 7;

// driver_status as the kernel reports it for a command that ended in CHECK
// CONDITION with sense data: the command completed, only its status says no.
constexpr uint16_t kDriverSense = 0x08;

}  // namespace sgio

// Fills `hdr` for request.record and request.data. `sense` (`senseSize` bytes)
// must outlive the request.
void BuildSgIoHeader(const ScsiRequest& request, uint8_t* sense, size_t senseSize,
                     sg_io_hdr_t* hdr);

// What one SG_IO call on an opened device means for the transport. Writes the
// bytes moved into the record's DataTransferLength (0 after a failed call) and,
// when the call worked, the device's status into ScsiStatus. `ioctlErrno` is
// the errno read right after a failed call (ignored when `ioctlResult` is 0).
BackendResult ApplySgIoOutcome(const sg_io_hdr_t& hdr, int ioctlResult, int ioctlErrno,
                               uint8_t* record);

// The device number of the node devMajor:devMinor, answered from the sysfs
// tree at `sysRoot`. `isBlock` says whether the node is a block device;
// otherwise it is a character device and must belong to the SCSI generic
// driver, which stands for its disk. On success returns 0 and fills `out`: the
// disk device type, the whole disk's number as (major << 20) | minor (shared by
// all its partitions), and the partition number (0 for the whole disk).
// Otherwise returns an errno value and leaves `out` alone: ENOTTY for a
// character device of another driver, ENODEV when sysfs leads to no disk.
int DeviceNumberFromSysfs(const std::string& sysRoot, unsigned devMajor, unsigned devMinor,
                          bool isBlock, StorageDeviceNumber* out);

class SgIoBackend final : public ScsiBackend {
 public:
  explicit SgIoBackend(std::string sysRoot = "/sys");

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;
  bool KeepsHandles() const override { return true; }
  std::unique_ptr<DeviceHandle> OpenHandle(const char* path) override;
  // The disk's number, and its sequence number (kernels from 5.15 on), which
  // tells a disk that took the number of one unplugged from that one.
  bool IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) override;

 private:
  std::string sysRoot_;
};
