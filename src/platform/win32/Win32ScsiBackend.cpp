#include "platform/win32/Win32ScsiBackend.h"

#include <windows.h>
#include <winioctl.h>
// <ntddscsi.h> uses the base types that <windows.h> declares.
#include <ntddscsi.h>

#include <cstddef>
#include <cstdint>

#include "IDEAccess/PassThroughRecord.h"

// The record is built as bytes in the 32-bit layout, so it may be handed to
// Windows as is only when Windows' own structure has exactly that layout.
static_assert(sizeof(void*) == 4, "the record's DataBuffer field holds a 32-bit pointer");
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == ptr::kSize, "pass-through record size");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Length) == ptr::kLength, "Length");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == ptr::kScsiStatus, "ScsiStatus");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, PathId) == ptr::kPathId, "PathId");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TargetId) == ptr::kTargetId, "TargetId");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Lun) == ptr::kLun, "Lun");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, CdbLength) == ptr::kCdbLength, "CdbLength");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoLength) == ptr::kSenseInfoLength,
              "SenseInfoLength");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == ptr::kDataIn, "DataIn");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == ptr::kDataTransferLength,
              "DataTransferLength");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == ptr::kTimeOutValue,
              "TimeOutValue");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == ptr::kDataBuffer, "DataBuffer");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == ptr::kSenseInfoOffset,
              "SenseInfoOffset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == ptr::kCdb, "Cdb");
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT::Cdb) == ptr::kCdbCapacity, "Cdb capacity");
static_assert(SCSI_IOCTL_DATA_IN == ptr::kDataInValue, "data-in direction value");
static_assert(SCSI_IOCTL_DATA_OUT == ptr::kDataOutValue, "data-out direction value");

// The request codes, as the system numbers them.
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014, "pass-through request code");
static_assert(IOCTL_STORAGE_GET_DEVICE_NUMBER == 0x2D1080, "device-number request code");

// Windows' device-number answer and ours are the same 12 bytes.
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "Windows' device-number record");
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == sizeof(::StorageDeviceNumber),
              "device-number records match");

namespace {

DWORD AccessRights(OpenAccess access) {
  return access == OpenAccess::kReadWrite ? (GENERIC_READ | GENERIC_WRITE) : 0;
}

DWORD ShareRights(ShareMode share) {
  return share == ShareMode::kReadWrite ? (FILE_SHARE_READ | FILE_SHARE_WRITE) : 0;
}

// A device handle kept for a span of commands.
class SpanHandle final : public DeviceHandle {
 public:
  explicit SpanHandle(HANDLE device) : device_(device) {}
  ~SpanHandle() override {
    if (device_ != INVALID_HANDLE_VALUE) CloseHandle(device_);
  }
  SpanHandle(const SpanHandle&) = delete;
  SpanHandle& operator=(const SpanHandle&) = delete;
  HANDLE device() const { return device_; }

 private:
  HANDLE device_;
};

bool AskDeviceNumber(HANDLE device, StorageDeviceNumber* result, DWORD* error) {
  STORAGE_DEVICE_NUMBER answer = {};
  DWORD bytesReturned = 0;
  SetLastError(0);
  const BOOL ok = DeviceIoControl(device, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &answer,
                                  static_cast<DWORD>(sizeof(answer)), &bytesReturned, nullptr);
  *error = GetLastError();
  if (ok == FALSE) return false;
  result->DeviceType = static_cast<uint32_t>(answer.DeviceType);
  result->DeviceNumber = static_cast<uint32_t>(answer.DeviceNumber);
  result->PartitionNumber = static_cast<uint32_t>(answer.PartitionNumber);
  return true;
}

}  // namespace

// The span's handle is shared for reading and writing: a span lasts from a
// unit's examination to the end of its update, and the system's own probes of
// the disk go on meanwhile. What the single commands asked for exclusively
// (share mode none while data goes out) the enclosure's lock keeps.
std::unique_ptr<DeviceHandle> Win32ScsiBackend::OpenHandle(const char* path) {
  HANDLE device =
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  auto handle = std::make_unique<SpanHandle>(device);
  if (device == INVALID_HANDLE_VALUE) handle->openError = static_cast<uint32_t>(GetLastError());
  return handle;
}

// A handle of a disk that was unplugged answers no request; Windows has no
// sequence number for the disk that took its number.
bool Win32ScsiBackend::IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) {
  const HANDLE device = static_cast<SpanHandle&>(handle).device();
  if (device == INVALID_HANDLE_VALUE) return false;
  DeviceIdentity now;
  DWORD error = 0;
  if (!AskDeviceNumber(device, &now.number, &error)) return false;
  *identity = now;
  return true;
}

BackendResult Win32ScsiBackend::Execute(const ScsiRequest& request) {
  BackendResult result;
  if (request.handle != nullptr && request.handle->openError != 0) {
    result.lastError = request.handle->openError;
    return result;
  }
  HANDLE device = request.handle != nullptr
                      ? static_cast<SpanHandle*>(request.handle)->device()
                      : CreateFileA(request.path, AccessRights(request.access),
                                    ShareRights(request.share), nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    result.lastError = static_cast<uint32_t>(GetLastError());
    return result;
  }
  result.opened = true;

  ptr::Put32(request.record, ptr::kDataBuffer,
             static_cast<uint32_t>(reinterpret_cast<uintptr_t>(request.data)));

  // Cleared first so that the code read afterwards is this request's own, also
  // when Windows reports success without setting one.
  DWORD bytesReturned = 0;
  SetLastError(0);
  const BOOL ok = DeviceIoControl(device, IOCTL_SCSI_PASS_THROUGH_DIRECT, request.record,
                                  static_cast<DWORD>(ptr::kSize), request.record,
                                  static_cast<DWORD>(ptr::kSize), &bytesReturned, nullptr);
  result.lastError = static_cast<uint32_t>(GetLastError());
  if (request.handle == nullptr) CloseHandle(device);

  result.requestSucceeded = ok != FALSE;
  return result;
}

BackendResult Win32ScsiBackend::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  BackendResult outcome;
  HANDLE device = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    outcome.lastError = static_cast<uint32_t>(GetLastError());
    return outcome;
  }
  outcome.opened = true;

  DWORD error = 0;
  outcome.requestSucceeded = AskDeviceNumber(device, result, &error);
  outcome.lastError = static_cast<uint32_t>(error);
  CloseHandle(device);
  return outcome;
}
