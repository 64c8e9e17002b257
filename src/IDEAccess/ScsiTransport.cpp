#include "IDEAccess/ScsiTransport.h"

#include <cstring>
#include <memory>

#include "IDEAccess/DeviceSpan.h"
#include "IDEAccess/PaddedBuffer.h"
#include "IDEAccess/PassThroughRecord.h"
#include "seams/Seams.h"

namespace {

enum class Direction { kIn, kOut };

// The bytes of the record that the transport sets before the call.
void PrepareRecord(uint8_t* record, Direction direction, const uint8_t* cdb, uint8_t cdbLength,
                   uint32_t transferLength, uint32_t timeoutSeconds) {
  ptr::Put16(record, ptr::kLength, static_cast<uint16_t>(ptr::kSize));
  record[ptr::kScsiStatus] = 0;
  record[ptr::kPathId] = ptr::kPathIdValue;
  record[ptr::kTargetId] = ptr::kTargetIdValue;
  record[ptr::kLun] = ptr::kLunValue;
  record[ptr::kCdbLength] = cdbLength;
  record[ptr::kSenseInfoLength] = 0;
  record[ptr::kDataIn] = direction == Direction::kIn ? ptr::kDataInValue : ptr::kDataOutValue;
  ptr::Put32(record, ptr::kDataTransferLength, transferLength);
  ptr::Put32(record, ptr::kTimeOutValue, timeoutSeconds);
  ptr::Put32(record, ptr::kSenseInfoOffset, ptr::kSenseInfoOffsetValue);
  const size_t copied = cdbLength < ptr::kCdbCapacity ? cdbLength : ptr::kCdbCapacity;
  std::memcpy(record + ptr::kCdb, cdb, copied);
}

thread_local SenseData tLastCommandSense;

bool ThreePartSuccess(const BackendResult& result, const uint8_t* record) {
  return result.opened && result.requestSucceeded && result.lastError == 0 &&
         record[ptr::kScsiStatus] == 0;
}

// What the thread keeps of a command that ended: the sense the system fetched
// with it, and, when it failed, that as what the device said of the failure;
// a command that went through leaves none, so a failure never names an
// earlier command's sense.
bool KeepSense(const BackendResult& result, const uint8_t* record) {
  const bool succeeded = ThreePartSuccess(result, record);
  tLastCommandSense = DecodeSense(result.sense, result.senseLength);
  NoteFailureSense(succeeded ? SenseData{} : tLastCommandSense);
  return succeeded;
}

}  // namespace

SenseData LastCommandSense() {
  return tLastCommandSense;
}

uint32_t TransferLengthFor(uint32_t requested) {
  return requested == 1 ? 2 : requested;
}

uint32_t DataOutTimeout(const uint8_t* cdb, uint8_t cdbLength) {
  if (cdbLength > 2 && cdb[2] == 0x13) return kTimeoutLongOutSeconds;
  if (cdbLength == 12 && cdb[11] == 0xFB && cdb[1] == 3) return kTimeoutLongOutSeconds;
  return kTimeoutOutSeconds;
}

int ScsiDataIn(const char* devicePath, const uint8_t* cdb, uint8_t cdbLength, uint8_t* buffer,
               int32_t length, uint32_t* transferred) {
  if (length < 0 || cdbLength > ptr::kCdbCapacity) return 0;
  const uint32_t transferLength = TransferLengthFor(static_cast<uint32_t>(length));

  // Buffers are obtained before the device is opened, so that a failed
  // allocation issues nothing and leaves the caller's data as it was.
  PaddedBlock recordBlock(ptr::kStorageSize);
  PaddedBlock dataBlock(transferLength);
  if (!recordBlock.ok() || !dataBlock.ok()) return 0;

  uint8_t* record = recordBlock.data();
  PrepareRecord(record, Direction::kIn, cdb, cdbLength, transferLength, kTimeoutInSeconds);

  // Inside a span of the device, through its handle; else by name.
  const std::shared_ptr<DeviceHandle> bound = BoundHandle(devicePath);
  ScsiRequest request;
  request.path = devicePath;
  request.handle = bound.get();
  request.access = OpenAccess::kReadWrite;
  request.share = ShareMode::kReadWrite;
  request.record = record;
  request.data = dataBlock.data();
  const BackendResult result = ActiveScsiBackend().Execute(request);
  const bool succeeded = KeepSense(result, record);
  if (!result.opened) return 0;

  // The caller sees what arrived followed by zeros, whatever the outcome.
  if (length > 0) std::memcpy(buffer, dataBlock.data(), static_cast<size_t>(length));
  if (transferred) *transferred = ptr::Get32(record, ptr::kDataTransferLength);
  return succeeded ? 1 : 0;
}

int ScsiDataOut(const char* devicePath, const uint8_t* cdb, uint8_t cdbLength,
                const uint8_t* buffer, uint32_t length, uint32_t* transferred) {
  if (cdbLength > ptr::kCdbCapacity) return 0;
  const uint32_t transferLength = TransferLengthFor(length);

  PaddedBlock recordBlock(ptr::kStorageSize);
  PaddedBlock dataBlock(transferLength);
  if (!recordBlock.ok() || !dataBlock.ok()) return 0;
  if (transferLength != 0 && buffer != nullptr) std::memcpy(dataBlock.data(), buffer, length);

  uint8_t* record = recordBlock.data();
  PrepareRecord(record, Direction::kOut, cdb, cdbLength, transferLength,
                DataOutTimeout(cdb, cdbLength));

  const std::shared_ptr<DeviceHandle> bound = BoundHandle(devicePath);
  ScsiRequest request;
  request.path = devicePath;
  request.handle = bound.get();
  request.access = OpenAccess::kReadWrite;
  request.share = ShareMode::kNone;
  request.record = record;
  request.data = dataBlock.data();
  const BackendResult result = ActiveScsiBackend().Execute(request);
  const bool succeeded = KeepSense(result, record);
  if (!result.opened) return 0;

  if (transferred) *transferred = ptr::Get32(record, ptr::kDataTransferLength);
  return succeeded ? 1 : 0;
}

int QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  StorageDeviceNumber answer;
  const BackendResult outcome = ActiveScsiBackend().QueryDeviceNumber(path, &answer);
  if (!outcome.opened || !outcome.requestSucceeded || outcome.lastError != 0) return 0;
  *result = answer;
  return 1;
}
