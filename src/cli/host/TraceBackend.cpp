#include "cli/host/TraceBackend.h"

#include <algorithm>
#include <cstdio>

#include "IDEAccess/PassThroughRecord.h"

namespace {

constexpr uint8_t kRequestSenseOpcode = 0x03;

std::string Outcome(const BackendResult& result, uint8_t scsiStatus) {
  char text[48];
  if (!result.opened) {
    std::snprintf(text, sizeof text, "cannot open (error %u)", result.lastError);
  } else if (!result.requestSucceeded || result.lastError != 0) {
    std::snprintf(text, sizeof text, "failed (error %u)", result.lastError);
  } else if (scsiStatus != 0) {
    std::snprintf(text, sizeof text, "status %02x", scsiStatus);
  } else {
    return "ok";
  }
  return text;
}

}  // namespace

std::string FormatTraceLine(const uint8_t* cdb, size_t cdbLength, bool dataIn, uint32_t length,
                            const BackendResult& result, uint8_t scsiStatus, uint32_t transferred) {
  std::string line = "[";
  char cell[4];
  for (size_t i = 0; i < cdbLength; ++i) {
    std::snprintf(cell, sizeof cell, i == 0 ? "%02x" : " %02x", cdb[i]);
    line += cell;
  }
  line += "] ";
  line += length == 0 ? "none" : dataIn ? "in" : "out";
  line += " " + std::to_string(length) + " " + Outcome(result, scsiStatus);
  // A reply that ended early with good status is the one that could pass for
  // the data: it is worth seeing.
  const bool ok = result.opened && result.requestSucceeded && result.lastError == 0;
  if (dataIn && ok && scsiStatus == 0 && transferred < length) {
    line += " (" + std::to_string(transferred) + " arrived)";
  }
  // What the device said: the sense the system fetched with a failed command.
  const SenseData own = DecodeSense(result.sense, result.senseLength);
  if (own.present) line += ", sense " + SenseText(own);
  return line;
}

std::string SenseReplyNote(const uint8_t* cdb, size_t cdbLength, const uint8_t* data,
                           uint32_t transferred) {
  if (cdbLength == 0 || cdb[0] != kRequestSenseOpcode || data == nullptr) return "";
  const SenseData reply = DecodeSense(data, transferred);
  return reply.present ? ": " + SenseText(reply) : "";
}

BackendResult TraceBackend::Execute(const ScsiRequest& request) {
  // What was asked is read before the backend writes its answer into the record.
  const uint8_t* record = request.record;
  const size_t cdbLength = std::min<size_t>(record[ptr::kCdbLength], ptr::kCdbCapacity);
  const uint8_t* cdbStart = record + ptr::kCdb;
  uint8_t cdb[ptr::kCdbCapacity];
  std::copy(cdbStart, cdbStart + cdbLength, cdb);
  const bool dataIn = record[ptr::kDataIn] == ptr::kDataInValue;
  const uint32_t length = ptr::Get32(record, ptr::kDataTransferLength);

  const BackendResult result = inner_.Execute(request);
  std::lock_guard<std::mutex> guard(lock_);
  const uint32_t transferred = ptr::Get32(record, ptr::kDataTransferLength);
  err_ << FormatTraceLine(cdb, cdbLength, dataIn, length, result, record[ptr::kScsiStatus],
                          transferred)
       << SenseReplyNote(cdb, cdbLength, request.data, std::min(transferred, length)) << '\n';
  return result;
}

BackendResult TraceBackend::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  const BackendResult outcome = inner_.QueryDeviceNumber(path, result);
  std::lock_guard<std::mutex> guard(lock_);
  err_ << "(device number of " << (path ? path : "") << ") " << Outcome(outcome, 0) << '\n';
  return outcome;
}
