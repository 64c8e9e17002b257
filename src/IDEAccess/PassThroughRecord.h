#pragma once
// The pass-through record handed to the system for every SCSI command: the
// 32-bit layout of the system's direct pass-through structure, 44 bytes, all
// multi-byte fields little-endian. Built here as bytes so that the same record
// drives the Win32 backend directly and is read by the others.

#include <cstddef>
#include <cstdint>

namespace ptr {

constexpr size_t kLength = 0;               // u16: size of the record, 44
constexpr size_t kScsiStatus = 2;           // u8: SCSI status, read after the call
constexpr size_t kPathId = 3;               // u8
constexpr size_t kTargetId = 4;             // u8
constexpr size_t kLun = 5;                  // u8
constexpr size_t kCdbLength = 6;            // u8
constexpr size_t kSenseInfoLength = 7;      // u8
constexpr size_t kDataIn = 8;               // u8: 1 data in, 0 data out
constexpr size_t kDataTransferLength = 12;  // u32: bytes asked, then bytes moved
constexpr size_t kTimeOutValue = 16;        // u32: seconds
constexpr size_t kDataBuffer = 20;          // u32: pointer on 32-bit Windows
constexpr size_t kSenseInfoOffset = 24;     // u32
constexpr size_t kCdb = 28;                 // u8[16]
constexpr size_t kCdbCapacity = 16;
constexpr size_t kSize = 44;

static_assert(kCdb + kCdbCapacity == kSize, "the CDB array ends the record");

// Values the transport puts into the record.
constexpr uint8_t kPathIdValue = 0;
constexpr uint8_t kTargetIdValue = 1;
constexpr uint8_t kLunValue = 0;
constexpr uint8_t kDataInValue = 1;   // data from the device
constexpr uint8_t kDataOutValue = 0;  // data to the device, or none
constexpr uint32_t kSenseInfoOffsetValue = 48;

// Usable bytes of the block the record is built in: the record plus spare.
constexpr uint32_t kStorageSize = 1068;

uint16_t Get16(const uint8_t* record, size_t offset);
uint32_t Get32(const uint8_t* record, size_t offset);
void Put16(uint8_t* record, size_t offset, uint16_t value);
void Put32(uint8_t* record, size_t offset, uint32_t value);

}  // namespace ptr
