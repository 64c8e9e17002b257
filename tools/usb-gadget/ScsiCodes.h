#pragma once
// The standard SCSI commands the device answers itself (the ones the kernel
// sends when a disk attaches), their CDB fields, and the sense codes it reports.
// Bridge commands are the virtual enclosure's (IDEAccess/Cdb.h).

#include <cstddef>
#include <cstdint>

namespace scsi_op {
constexpr uint8_t kTestUnitReady = 0x00;
constexpr uint8_t kRequestSense = 0x03;
constexpr uint8_t kInquiry = 0x12;
constexpr uint8_t kModeSense6 = 0x1A;
constexpr uint8_t kPreventAllowRemoval = 0x1E;
constexpr uint8_t kReadCapacity10 = 0x25;
constexpr uint8_t kRead10 = 0x28;
constexpr uint8_t kWrite10 = 0x2A;
constexpr uint8_t kSynchronizeCache10 = 0x35;
constexpr uint8_t kModeSense10 = 0x5A;
constexpr uint8_t kRead16 = 0x88;
constexpr uint8_t kWrite16 = 0x8A;
constexpr uint8_t kSynchronizeCache16 = 0x91;
constexpr uint8_t kServiceActionIn16 = 0x9E;
constexpr uint8_t kReadCapacity16Action = 0x10;  // service action of 0x9E
}  // namespace scsi_op

// INQUIRY(6) and REQUEST SENSE(6).
namespace cdb6 {
constexpr size_t kInquiryFlags = 1;  // bit 0: vital product data
constexpr size_t kInquiryPage = 2;
constexpr size_t kInquiryAllocation = 3;  // 16 bits
constexpr size_t kSenseAllocation = 4;
constexpr uint8_t kInquiryVitalData = 0x01;
}  // namespace cdb6

// MODE SENSE(6) and (10).
namespace cdb_mode {
constexpr size_t kAllocation6 = 4;
constexpr size_t kAllocation10 = 7;  // 16 bits
constexpr size_t kHeader6Size = 4;
constexpr size_t kHeader10Size = 8;
}  // namespace cdb_mode

// READ / WRITE (10) and (16), READ CAPACITY.
namespace cdb_rw {
constexpr size_t kLba = 2;            // 32 bits in (10), 64 bits in (16)
constexpr size_t kBlocks10 = 7;       // 16 bits
constexpr size_t kBlocks16 = 10;      // 32 bits
constexpr size_t kServiceAction = 1;  // bits 0-4 of SERVICE ACTION IN(16)
constexpr size_t kAllocation16 = 10;  // 32 bits
constexpr uint8_t kServiceActionMask = 0x1F;
constexpr size_t kCapacity10Size = 8;
constexpr size_t kCapacity16Size = 32;
}  // namespace cdb_rw

// Sense keys and additional sense codes.
namespace sense {
constexpr uint8_t kKeyIllegalRequest = 0x05;
constexpr uint8_t kAscInvalidOpcode = 0x20;
constexpr uint8_t kAscLbaOutOfRange = 0x21;
constexpr uint8_t kAscInvalidFieldInCdb = 0x24;

// Fixed-format sense data.
constexpr size_t kFixedSize = 18;
constexpr size_t kResponseCode = 0;
constexpr size_t kKey = 2;
constexpr size_t kAdditionalLength = 7;
constexpr size_t kAsc = 12;
constexpr size_t kAscq = 13;
constexpr uint8_t kCurrentFixed = 0x70;
}  // namespace sense

inline uint32_t GetBe32(const uint8_t* at) {
  return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}
inline uint64_t GetBe64(const uint8_t* at) {
  return (uint64_t{GetBe32(at)} << 32) | GetBe32(at + 4);
}
inline void PutBe32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}
inline void PutBe64(uint8_t* at, uint64_t value) {
  PutBe32(at, static_cast<uint32_t>(value >> 32));
  PutBe32(at + 4, static_cast<uint32_t>(value));
}
