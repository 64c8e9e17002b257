#pragma once
// The seam below the transport: one backend per platform executes one prepared
// pass-through request (open the device, one request, close) and reports what
// happened. The rules (transfer length, buffers, time-outs, the success test)
// stay above this seam, in ScsiTransport.cpp.

#include <cstddef>
#include <cstdint>

#include "seams/StorageDeviceNumber.h"

// How the device is opened: read and write access for the transfers, no access
// rights for the device-number query.
enum class OpenAccess : uint8_t { kReadWrite, kQueryOnly };

// Which other openers the device tolerates while this request runs.
enum class ShareMode : uint8_t { kReadWrite, kNone };

// Where a backend's commands end up: devices of the real system, or the
// virtual enclosure. What a build may write depends on it.
enum class DeviceReach : uint8_t { kSystem, kVirtual };

struct ScsiRequest {
  const char* path = nullptr;
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

  // Opens request.path, issues the pass-through request described by
  // request.record, closes the device.
  virtual BackendResult Execute(const ScsiRequest& request) = 0;

  // Opens `path` with no access rights and share mode none, asks which
  // physical device it is, closes it. `result` is written only on success.
  virtual BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) = 0;

  // A backend is taken to reach real devices unless it says otherwise; a
  // decorator answers for the backend it wraps.
  virtual DeviceReach reach() const { return DeviceReach::kSystem; }
};
