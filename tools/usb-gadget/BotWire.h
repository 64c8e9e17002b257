#pragma once
// The two wrappers of the Bulk-Only Transport as they travel on the bulk pipes:
// the command block wrapper (CBW, host to device, 31 bytes) and the command
// status wrapper (CSW, device to host, 13 bytes). Multi-byte fields are
// little-endian.

#include <array>
#include <cstddef>
#include <cstdint>

namespace bot {

constexpr size_t kCbwSize = 31;
constexpr size_t kCswSize = 13;
constexpr size_t kCommandBlockSize = 16;

// CBW fields.
namespace cbw {
constexpr size_t kSignature = 0;            // 32 bits
constexpr size_t kTag = 4;                  // 32 bits, echoed in the CSW
constexpr size_t kDataTransferLength = 8;   // 32 bits
constexpr size_t kFlags = 12;               // bit 7: data in; the rest reserved
constexpr size_t kLun = 13;                 // bits 0-3; bits 4-7 reserved
constexpr size_t kCommandBlockLength = 14;  // bits 0-4; bits 5-7 reserved
constexpr size_t kCommandBlock = 15;        // 16 bytes
}  // namespace cbw
static_assert(cbw::kCommandBlock + kCommandBlockSize == kCbwSize, "CBW layout");

// CSW fields.
namespace csw {
constexpr size_t kSignature = 0;    // 32 bits
constexpr size_t kTag = 4;          // 32 bits
constexpr size_t kDataResidue = 8;  // 32 bits
constexpr size_t kStatus = 12;      // one byte
}  // namespace csw
static_assert(csw::kStatus + 1 == kCswSize, "CSW layout");

constexpr uint32_t kCbwSignature = 0x43425355;  // "USBC" on the wire
constexpr uint32_t kCswSignature = 0x53425355;  // "USBS" on the wire
constexpr uint8_t kFlagDataIn = 0x80;
constexpr uint8_t kLunMask = 0x0F;
constexpr uint8_t kCommandBlockLengthMask = 0x1F;

enum class CswStatus : uint8_t {
  kPassed = 0,
  kFailed = 1,
  kPhaseError = 2,
};

}  // namespace bot

struct CommandBlockWrapper {
  uint32_t tag = 0;
  uint32_t dataTransferLength = 0;
  bool dataIn = false;
  uint8_t lun = 0;
  uint8_t commandLength = 0;
  std::array<uint8_t, bot::kCommandBlockSize> command{};
};

// How a received packet qualifies as a CBW.
enum class CbwCheck : uint8_t {
  kValid,          // valid and meaningful: the command is carried out
  kInvalid,        // wrong size or signature: no CSW follows, both pipes stall
  kNotMeaningful,  // reserved bits set, a LUN above `maxLun`, a command length outside 1-16
};

// Reads the `size` bytes received on the bulk-out pipe. `out` is filled for
// kValid and kNotMeaningful (the tag is needed for the CSW).
CbwCheck ParseCbw(const uint8_t* bytes, size_t size, uint8_t maxLun, CommandBlockWrapper* out);

std::array<uint8_t, bot::kCswSize> BuildCsw(uint32_t tag, uint32_t residue, bot::CswStatus status);

// Little-endian fields of the wrappers.
inline uint32_t GetLe32(const uint8_t* at) {
  return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) |
         (uint32_t{at[3]} << 24);
}
inline void PutLe32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value >> 16);
  at[3] = static_cast<uint8_t>(value >> 24);
}
inline void PutLe16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
