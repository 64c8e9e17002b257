#pragma once
// Reads a prepared pass-through record the way the system would.

#include <cstdint>

struct RecordView {
  const uint8_t* cdb = nullptr;
  uint8_t cdbLength = 0;
  bool dataIn = false;
  uint32_t transferLength = 0;
  uint32_t timeoutSeconds = 0;
};

RecordView ReadRecord(const uint8_t* record);

// Writes what the request left: SCSI status and bytes moved.
void CompleteRecord(uint8_t* record, uint8_t scsiStatus, uint32_t transferred);
