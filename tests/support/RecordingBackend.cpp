#include "support/RecordingBackend.h"

#include <algorithm>
#include <cstring>

BackendResult RecordingBackend::Execute(const ScsiRequest& request) {
  RecordedRequest seen;
  seen.path = request.path ? request.path : "";
  seen.access = request.access;
  seen.share = request.share;
  std::memcpy(seen.record.data(), request.record, ptr::kSize);
  seen.recordAddress = reinterpret_cast<uintptr_t>(request.record);
  seen.dataAddress = reinterpret_cast<uintptr_t>(request.data);
  const uint32_t length = ptr::Get32(request.record, ptr::kDataTransferLength);
  seen.hadData = request.data != nullptr;
  if (request.data) seen.dataOut.assign(request.data, request.data + length);
  requests.push_back(seen);

  if (!answer.opened) return {false, false, answer.lastError};
  if (request.data && !answer.dataIn.empty()) {
    std::memcpy(request.data, answer.dataIn.data(), std::min<size_t>(answer.dataIn.size(), length));
  }
  request.record[ptr::kScsiStatus] = answer.scsiStatus;
  if (answer.setTransferred)
    ptr::Put32(request.record, ptr::kDataTransferLength, answer.transferred);
  return {true, answer.requestSucceeded, answer.lastError};
}

BackendResult RecordingBackend::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  RecordedRequest seen;
  seen.path = path ? path : "";
  seen.access = OpenAccess::kQueryOnly;
  seen.share = ShareMode::kNone;
  requests.push_back(seen);
  if (!answer.opened) return {false, false, answer.lastError};
  if (answer.requestSucceeded) *result = deviceNumber;
  return {true, answer.requestSucceeded, answer.lastError};
}
