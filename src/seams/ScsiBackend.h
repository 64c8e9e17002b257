#pragma once
// The seam below the transport: one backend per platform executes one prepared
// pass-through request and reports what happened. A request goes to the
// device through a handle kept open for a span of commands (DeviceSpan.h),
// or, outside any span, opens the device by its name and closes it again. The
// rules (transfer length, buffers, time-outs, the success test) stay above
// this seam, in ScsiTransport.cpp.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "seams/StorageDeviceNumber.h"

// How the device is opened: read and write access for the transfers, no access
// rights for the device-number query.
enum class OpenAccess : uint8_t { kReadWrite, kQueryOnly };

// Which other openers the device tolerates while this request runs.
enum class ShareMode : uint8_t { kReadWrite, kNone };

// Where a backend's commands end up: devices of the real system, or the
// virtual enclosure. What a build may write depends on it.
enum class DeviceReach : uint8_t { kSystem, kVirtual };

// A device opened once for a span of commands. A handle reaches the device it
// was opened on and no other: once that device is gone, every request through
// it fails, whatever now carries its name. Made by the backend that uses it.
class DeviceHandle {
 public:
  virtual ~DeviceHandle() = default;
  // Non-zero: the device did not open, with this error code; every request
  // through the handle fails as a failed open does, and nothing is opened by
  // name instead.
  uint32_t openError = 0;
};

// What a handle stands for, asked of the system without a SCSI command: the
// disk's device number and, where the system numbers every disk that arrives
// (Linux' disk sequence number), that number; 0 where it has none.
struct DeviceIdentity {
  StorageDeviceNumber number;
  uint64_t sequence = 0;
};

inline bool operator==(const DeviceIdentity& a, const DeviceIdentity& b) {
  return a.number.DeviceType == b.number.DeviceType &&
         a.number.DeviceNumber == b.number.DeviceNumber &&
         a.number.PartitionNumber == b.number.PartitionNumber && a.sequence == b.sequence;
}
inline bool operator!=(const DeviceIdentity& a, const DeviceIdentity& b) {
  return !(a == b);
}

struct ScsiRequest {
  const char* path = nullptr;
  // Set: the request goes through this handle (made by this backend) and
  // `path` only names it; null: the device is opened by `path` and closed.
  DeviceHandle* handle = nullptr;
  OpenAccess access = OpenAccess::kReadWrite;
  ShareMode share = ShareMode::kReadWrite;
  // The 44-byte pass-through record (PassThroughRecord.h). The backend updates
  // its ScsiStatus and DataTransferLength fields in place, as the system does.
  uint8_t* record = nullptr;
  // The transfer buffer of DataTransferLength bytes, or null when nothing moves.
  // Kept beside the record because a 64-bit host cannot store a pointer in the
  // record's 32-bit DataBuffer field; the Win32 backend puts it there.
  uint8_t* data = nullptr;
};

// The sense bytes a backend can hand up with a failed command.
constexpr size_t kAutoSenseCapacity = 32;

struct BackendResult {
  bool opened = false;            // false: the device could not be opened
  bool requestSucceeded = false;  // the request call itself returned success
  // The error code read right after the request; when the device could not be
  // opened, the open's error code (so that a front end can say "access denied").
  uint32_t lastError = 0;
  // The sense data the system fetched by itself for a command that ended in
  // CHECK CONDITION (SG_IO's sense buffer). None through the Windows record,
  // which asks for none, nor from the virtual enclosure, which keeps its
  // sense for the REQUEST SENSE that follows.
  uint8_t sense[kAutoSenseCapacity] = {};
  uint8_t senseLength = 0;
};

class ScsiBackend {
 public:
  virtual ~ScsiBackend() = default;

  // Issues the pass-through request described by request.record through
  // request.handle, or opens request.path, issues it and closes the device.
  virtual BackendResult Execute(const ScsiRequest& request) = 0;

  // Whether this backend keeps devices open for a span (OpenHandle). One
  // that does not is sent every command by name.
  virtual bool KeepsHandles() const { return false; }
  // Opens `path` for reading and writing, shared with other openers, for a
  // span of commands. Never null where KeepsHandles(); a device that does not
  // open gives a handle with its openError set.
  virtual std::unique_ptr<DeviceHandle> OpenHandle(const char* /*path*/) { return nullptr; }
  // What `handle` stands for now. False when its device is gone (or the
  // system cannot tell): nothing more is to be sent through it.
  virtual bool IdentifyHandle(DeviceHandle& /*handle*/, DeviceIdentity* /*identity*/) {
    return false;
  }

  // Opens `path` with no access rights and share mode none, asks which
  // physical device it is, closes it. `result` is written only on success.
  virtual BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) = 0;

  // A backend is taken to reach real devices unless it says otherwise; a
  // decorator answers for the backend it wraps.
  virtual DeviceReach reach() const { return DeviceReach::kSystem; }
};
