#pragma once
// The reply bytes that chip identification and discovery read, as named
// offsets (byte numbers count from 0).

#include <cstddef>
#include <cstdint>

#include "IDEAccess/BridgeCommands.h"

// INQUIRY data, 40 bytes asked: a bridge of the vendor puts the marker at byte
// 36 and a 3-character family id at 37-39 (or the 4-character code-9 id at 36).
namespace inquiry_reply {
constexpr size_t kMarker = 36;
constexpr size_t kFamilyId = 37;
constexpr size_t kEnd = 40;
static_assert(kEnd == static_cast<size_t>(kInquiryLength), "INQUIRY reply holds bytes 36-39");
}  // namespace inquiry_reply

// The chip information reply (GetChipInfo, GetChipInfoAlt), 16 bytes.
namespace chip_info_reply {
constexpr size_t kSignature = 0;  // 0xF4 0xE7
constexpr size_t kVendorId = 2;   // big-endian
constexpr size_t kProductId = 4;  // big-endian
constexpr size_t kFamilyId = 8;   // 3 characters
constexpr size_t kRevision = 11;  // an ASCII digit
constexpr size_t kSize = 16;
constexpr uint8_t kSignature0 = 0xF4;
constexpr uint8_t kSignature1 = 0xE7;
// The short form that family 8's check asks for still ends with the revision.
constexpr size_t kShortSize = 12;
static_assert(kSize == static_cast<size_t>(kChipInfoLength), "chip information is 16 bytes");
static_assert(kRevision < kShortSize, "the short form carries the revision character");

inline bool HasSignature(const uint8_t* reply) {
  return reply[kSignature] == kSignature0 && reply[kSignature + 1] == kSignature1;
}
}  // namespace chip_info_reply

// The ReadBridgeWord reply: 2 bytes, little-endian.
namespace bridge_word_reply {
constexpr size_t kLow = 0;
constexpr size_t kHigh = 1;
static_assert(kHigh < static_cast<size_t>(kBridgeWordLength), "2-byte word");
}  // namespace bridge_word_reply

// READ BUFFER on buffer 1: a 4-byte descriptor whose byte 0 is an exponent n,
// then 2^n bytes of data whose bytes 3-5 may carry a family id.
namespace buffer1_reply {
constexpr uint8_t kBufferId = 1;
constexpr uint8_t kModeDescriptor = 0x03;
constexpr uint8_t kModeData = 0x01;
constexpr size_t kDescriptorSize = 4;
constexpr size_t kExponent = 0;
constexpr size_t kCharacterId = 3;  // 3 characters at 3-5
constexpr size_t kBcdFirstDigit = 4;
constexpr size_t kBcdLastDigits = 5;
constexpr size_t kBytesRead = 6;  // bytes 0-5 must exist
}  // namespace buffer1_reply

// The ReadIdString reply, 40 bytes asked: the first 8 are the chip's id string.
namespace id_string_reply {
constexpr size_t kLength = 8;
constexpr size_t kRevision = 5;
static_assert(kLength <= static_cast<size_t>(kIdStringLength), "id string lies in the reply");
}  // namespace id_string_reply
