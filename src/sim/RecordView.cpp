#include "sim/RecordView.h"

#include "IDEAccess/PassThroughRecord.h"

RecordView ReadRecord(const uint8_t* record) {
  RecordView view;
  view.cdb = record + ptr::kCdb;
  view.cdbLength = record[ptr::kCdbLength];
  view.dataIn = record[ptr::kDataIn] == ptr::kDataInValue;
  view.transferLength = ptr::Get32(record, ptr::kDataTransferLength);
  view.timeoutSeconds = ptr::Get32(record, ptr::kTimeOutValue);
  return view;
}

void CompleteRecord(uint8_t* record, uint8_t scsiStatus, uint32_t transferred) {
  record[ptr::kScsiStatus] = scsiStatus;
  ptr::Put32(record, ptr::kDataTransferLength, transferred);
}
