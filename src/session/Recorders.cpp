#include "session/Recorders.h"

#include <algorithm>
#include <chrono>

#include "IDEAccess/PassThroughRecord.h"
#include "platform/Sha256.h"

namespace {

constexpr uint8_t kWriteBufferOpcode = 0x3B;

uint64_t MicrosSince(std::chrono::steady_clock::time_point start) {
  const auto taken = std::chrono::steady_clock::now() - start;
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(taken).count());
}

}  // namespace

RecordedSeams::RecordedSeams(const Seams& inner, SessionWriter& writer) : seams_(inner) {
  if (inner.scsi) {
    scsi_ = std::make_unique<RecordingScsiBackend>(*inner.scsi, writer);
    seams_.scsi = scsi_.get();
  }
  if (inner.disks) {
    disks_ = std::make_unique<RecordingDiskInterfaces>(*inner.disks, writer);
    seams_.disks = disks_.get();
  }
  if (inner.volumes) {
    volumes_ = std::make_unique<RecordingVolumes>(*inner.volumes, writer);
    seams_.volumes = volumes_.get();
  }
}

SessionEvent CommandAsked(const ScsiRequest& request) {
  SessionEvent e;
  e.kind = EventKind::kCommand;
  e.path = request.path ? request.path : "";
  const uint8_t* record = request.record;
  const size_t cdbLength = std::min<size_t>(record[ptr::kCdbLength], ptr::kCdbCapacity);
  CommandBytes& bytes = *e.command;
  bytes.cdb.assign(record + ptr::kCdb, record + ptr::kCdb + cdbLength);
  e.dataIn = record[ptr::kDataIn] == ptr::kDataInValue;
  e.length = ptr::Get32(record, ptr::kDataTransferLength);
  e.timeout = ptr::Get32(record, ptr::kTimeOutValue);
  e.share = request.share;
  if (!e.dataIn && e.length != 0 && request.data != nullptr) {
    Sha256Digest digest{};
    if (ComputeSha256(request.data, e.length, &digest)) bytes.outSha256 = Sha256Hex(digest);
    // Firmware pieces are known by their digest; everything else is kept whole.
    bytes.outKept = bytes.cdb.empty() || bytes.cdb[0] != kWriteBufferOpcode;
    if (bytes.outKept) bytes.out.assign(request.data, request.data + e.length);
  }
  return e;
}

BackendResult RecordingScsiBackend::Execute(const ScsiRequest& request) {
  SessionEvent e = CommandAsked(request);
  const auto start = std::chrono::steady_clock::now();
  const BackendResult result = inner_.Execute(request);
  e.micros = MicrosSince(start);
  e.opened = result.opened;
  e.succeeded = result.requestSucceeded;
  e.error = result.lastError;
  e.status = request.record[ptr::kScsiStatus];
  e.transferred = ptr::Get32(request.record, ptr::kDataTransferLength);
  if (result.senseLength != 0) {
    const size_t length = std::min<size_t>(result.senseLength, kAutoSenseCapacity);
    e.command->sense.assign(result.sense, result.sense + length);
  }
  if (e.dataIn && request.data != nullptr) {
    // What came in; the zeros the buffer ends with are the transport's own.
    size_t end = e.length;
    while (end > 0 && request.data[end - 1] == 0) --end;
    e.command->in.assign(request.data, request.data + end);
  }
  writer_.Append(e);
  return result;
}

BackendResult RecordingScsiBackend::QueryDeviceNumber(const char* path,
                                                      StorageDeviceNumber* result) {
  SessionEvent e;
  e.kind = EventKind::kDeviceNumber;
  e.path = path ? path : "";
  const BackendResult outcome = inner_.QueryDeviceNumber(path, result);
  e.opened = outcome.opened;
  e.succeeded = outcome.requestSucceeded;
  e.error = outcome.lastError;
  if (outcome.opened && outcome.requestSucceeded && outcome.lastError == 0) e.number = *result;
  writer_.Append(e);
  return outcome;
}

bool RecordingDiskInterfaces::Open() {
  SessionEvent e;
  e.kind = EventKind::kInterfacesOpen;
  e.opened = inner_.Open();
  writer_.Append(e);
  return e.opened;
}

InterfaceStep RecordingDiskInterfaces::Get(uint32_t index, std::string* path) {
  SessionEvent e;
  e.kind = EventKind::kInterface;
  e.index = index;
  e.step = inner_.Get(index, path);
  if (e.step == InterfaceStep::kPath) e.path = *path;
  writer_.Append(e);
  return e.step;
}

uint32_t RecordingVolumes::LogicalDrives() {
  SessionEvent e;
  e.kind = EventKind::kLogicalDrives;
  e.value = inner_.LogicalDrives();
  writer_.Append(e);
  return e.value;
}

uint32_t RecordingVolumes::WindowsDirectory(char* buffer, uint32_t size) {
  SessionEvent e;
  e.kind = EventKind::kWindowsDirectory;
  e.value = inner_.WindowsDirectory(buffer, size);
  if (e.value != 0 && e.value < size) e.texts->text.assign(buffer, e.value);
  writer_.Append(e);
  return e.value;
}

uint32_t RecordingVolumes::DriveType(const char* rootPath) {
  SessionEvent e;
  e.kind = EventKind::kDriveType;
  e.path = rootPath ? rootPath : "";
  e.value = inner_.DriveType(rootPath);
  writer_.Append(e);
  return e.value;
}

uint32_t RecordingVolumes::FlushVolume(const char* place) {
  SessionEvent e;
  e.kind = EventKind::kFlush;
  e.path = place ? place : "";
  e.value = inner_.FlushVolume(place);
  writer_.Append(e);
  return e.value;
}
