#pragma once
// Command descriptor blocks of the bridge's command set: zero-filled arrays of
// 12 bytes (vendor commands, INQUIRY, REQUEST SENSE) or 10 bytes (READ BUFFER,
// WRITE BUFFER). Multi-byte fields are big-endian; bits above a field's width
// are dropped.

#include <array>
#include <cstddef>
#include <cstdint>

constexpr uint8_t kCdb12Length = 12;
constexpr uint8_t kCdb10Length = 10;

using Cdb12 = std::array<uint8_t, kCdb12Length>;
using Cdb10 = std::array<uint8_t, kCdb10Length>;
static_assert(sizeof(Cdb12) == 12 && sizeof(Cdb10) == 10, "CDB sizes");

namespace opcode {
constexpr uint8_t kInquiry = 0x12;
constexpr uint8_t kRequestSense = 0x03;
constexpr uint8_t kReadBuffer = 0x3C;
constexpr uint8_t kWriteBuffer = 0x3B;
constexpr uint8_t kBridgeAccess = 0xDF;  // selector in byte 11
constexpr uint8_t kChipInfo = 0xE0;
constexpr uint8_t kChipInfoAlt = 0xFE;
constexpr uint8_t kBridgeQuery = 0xFF;  // status, flash index, id string
constexpr uint8_t kVendorBlock = 0xB5;
}  // namespace opcode

// INQUIRY and REQUEST SENSE (12-byte form).
namespace cdb_inquiry {
constexpr size_t kOpcode = 0;
constexpr size_t kAllocationLength = 4;  // low byte of the length
}  // namespace cdb_inquiry

// READ BUFFER and WRITE BUFFER.
namespace cdb_buffer {
constexpr size_t kOpcode = 0;
constexpr size_t kMode = 1;
constexpr size_t kBufferId = 2;
constexpr size_t kOffset = 3;                    // 24 bits
constexpr size_t kLength = 6;                    // 24 bits
constexpr uint8_t kModeActivateDeferred = 0x0F;  // carries opcode and mode only
}  // namespace cdb_buffer

// The bridge access opcode 0xDF.
namespace cdb_bridge {
constexpr size_t kOpcode = 0;
constexpr size_t kModeOrRead = 1;       // 0x10 for reads; the write's mode
constexpr size_t kMemoryLength = 2;     // 24 bits
constexpr size_t kRegisterLength = 3;   // 16 bits
constexpr size_t kRegisterAddress = 6;  // 16 bits
constexpr size_t kMemoryAddress = 8;    // 24 bits
constexpr size_t kWordLength = 4;
constexpr size_t kSelector = 11;
constexpr uint8_t kRead = 0x10;
constexpr uint8_t kWriteModeMask = 0x87;
constexpr uint8_t kSelectReadMemory = 0xFA;
constexpr uint8_t kSelectWriteMemory = 0xFB;
constexpr uint8_t kSelectReadRegister = 0xFD;
constexpr uint8_t kSelectReadWord = 0xFF;
}  // namespace cdb_bridge

// The chip information commands 0xE0 / 0xFE carry the signature in bytes 1-2.
namespace cdb_chip_info {
constexpr size_t kSignature0 = 1;
constexpr size_t kSignature1 = 2;
constexpr uint8_t kSignature0Value = 0xF4;
constexpr uint8_t kSignature1Value = 0xE7;
}  // namespace cdb_chip_info

// The bridge query opcode 0xFF: byte 1 0x04, byte 2 the query, byte 3 its argument.
namespace cdb_query {
constexpr size_t kGroup = 1;
constexpr size_t kQuery = 2;
constexpr size_t kArgument = 3;
constexpr uint8_t kGroupValue = 0x04;
constexpr uint8_t kQueryStatus = 0x12;
constexpr uint8_t kQueryFlashIndex = 0x23;
constexpr uint8_t kFlashIndexArgument = 0x04;
constexpr uint8_t kQueryIdString = 0x30;
constexpr uint8_t kIdStringArgument = 0x08;
}  // namespace cdb_query

// The vendor block read 0xB5.
namespace cdb_vendor_block {
constexpr size_t kFirst = 5;
constexpr size_t kSecond = 8;
}  // namespace cdb_vendor_block

// Big-endian fields.
inline void PutBe16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}
inline void PutBe24(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 16);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value);
}
inline uint32_t GetBe16(const uint8_t* at) {
  return (uint32_t{at[0]} << 8) | at[1];
}
inline uint32_t GetBe24(const uint8_t* at) {
  return (uint32_t{at[0]} << 16) | (uint32_t{at[1]} << 8) | at[2];
}
