// The first stage of chip identification: which family the chip names itself.

#include <cstring>
#include <memory>
#include <new>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/Cdb.h"
#include "IDEAccess/ChipIdentification.h"
#include "IDEAccess/ChipIdentificationStages.h"
#include "IDEAccess/ChipReplies.h"
#include "IDEAccess/FamilyIds.h"

namespace {

constexpr uint8_t kFamilyCode9 = 9;
constexpr uint8_t kFamilyRegisterWordBase = 33;
constexpr uint8_t kFamilyVendorProduct = 37;
constexpr uint8_t kFamilyBcd14 = 14;
constexpr uint8_t kFamilyText15 = 15;

// The bridge that identifies itself by its USB IDs alone.
constexpr uint32_t kVendorIdFamily37 = 0x3A71;
constexpr uint32_t kProductIdFamily37 = 0x7C04;

// The register word's bits 5 and 6 select one of four families.
constexpr unsigned kRegisterWordShift = 5;
constexpr unsigned kRegisterWordMask = 0x3;

constexpr uint8_t kRevisionDigitBase = 0x30;

// The code-9 id without its marker: what a chip information reply may carry.
const char* Code9Tail() {
  return kCode9Id + 1;
}
static_assert(sizeof(kCode9Id) == 1 + 1 + kFamilyIdLength, "marker, 3 characters, NUL");

bool SameId(const uint8_t* bytes, const char* id) {
  return std::memcmp(bytes, id, kFamilyIdLength) == 0;
}

uint8_t LookupInquiry(const uint8_t* inquiry) {
  if (inquiry[inquiry_reply::kMarker] == static_cast<uint8_t>(kMarkerCharacter)) {
    const uint8_t family = LookupFamilyId(&inquiry[inquiry_reply::kFamilyId]);
    if (family != 0) return family;
  }
  if (std::memcmp(&inquiry[inquiry_reply::kMarker], kCode9Id, 1 + kFamilyIdLength) == 0) {
    return kFamilyCode9;
  }
  return 0;
}

// The chip information reply of a working GetChipInfo.
Identification FromChipInfo(const uint8_t* info, const uint8_t* word) {
  Identification id;
  if (!chip_info_reply::HasSignature(info)) {
    const unsigned value = word[bridge_word_reply::kLow] | (word[bridge_word_reply::kHigh] << 8);
    id.family = static_cast<uint8_t>(kFamilyRegisterWordBase +
                                     ((value >> kRegisterWordShift) & kRegisterWordMask));
    return id;
  }
  if (GetBe16(&info[chip_info_reply::kVendorId]) == kVendorIdFamily37 &&
      GetBe16(&info[chip_info_reply::kProductId]) == kProductIdFamily37) {
    id.family = kFamilyVendorProduct;
    return id;
  }
  id.family = LookupFamilyId(&info[chip_info_reply::kFamilyId]);
  if (id.family == 0 && SameId(&info[chip_info_reply::kFamilyId], Code9Tail())) {
    id.family = kFamilyCode9;
  }
  id.revision = static_cast<uint8_t>(info[chip_info_reply::kRevision] - kRevisionDigitBase);
  return id;
}

// GetChipInfo failed: the alternate form, without the USB ID test and without
// the code-9 fallback.
Identification FromChipInfoAlt(const char* path, uint8_t* info) {
  Identification id;
  uint32_t transferred = 0;
  if (!GetChipInfoAlt(path, info, kChipInfoLength, &transferred)) return id;
  if (!chip_info_reply::HasSignature(info)) return id;
  id.family = LookupFamilyId(&info[chip_info_reply::kFamilyId]);
  id.revision = static_cast<uint8_t>(info[chip_info_reply::kRevision] - kRevisionDigitBase);
  return id;
}

// A family id of three decimal digits in binary-coded decimal: the first digit's
// value in one byte, the other two as the high and low nibble of the next.
bool HoldsBcdId(const uint8_t* data, const char* id) {
  const uint8_t first = static_cast<uint8_t>(id[0] - '0');
  const uint8_t rest = static_cast<uint8_t>(((id[1] - '0') << 4) | (id[2] - '0'));
  return data[buffer1_reply::kBcdFirstDigit] == first &&
         data[buffer1_reply::kBcdLastDigits] == rest;
}

uint8_t FromBuffer1(const char* path) {
  uint8_t descriptor[buffer1_reply::kDescriptorSize] = {};
  if (!ReadBuffer(path, buffer1_reply::kModeDescriptor, buffer1_reply::kBufferId, 0, descriptor,
                  static_cast<int32_t>(sizeof descriptor))) {
    return 0;
  }
  const uint8_t exponent = descriptor[buffer1_reply::kExponent];
  if (exponent < kBuffer1MinExponent || exponent > kBuffer1MaxExponent) return 0;
  const uint32_t length = uint32_t{1} << exponent;
  static_assert((uint32_t{1} << kBuffer1MinExponent) >= buffer1_reply::kBytesRead,
                "the smallest read holds bytes 3-5");
  static_assert((uint32_t{1} << kBuffer1MaxExponent) <= 0xFFFFFF, "24-bit length field");

  const std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[length]());
  if (!data) return 0;
  if (!ReadBuffer(path, buffer1_reply::kModeData, buffer1_reply::kBufferId, 0, data.get(),
                  static_cast<int32_t>(length))) {
    return 0;
  }
  if (HoldsBcdId(data.get(), FamilyIdTable[kFamilyBcd14])) return kFamilyBcd14;
  if (HoldsBcdId(data.get(), FamilyIdTable[kFamilyTbr640])) return kFamilyTbr640;
  if (SameId(&data[buffer1_reply::kCharacterId], FamilyIdTable[kFamilyText15])) {
    return kFamilyText15;
  }
  return 0;
}

}  // namespace

uint8_t LookupFamilyId(const uint8_t* id) {
  for (uint8_t row = 1; row < kFamilyRows; ++row) {
    if (SameId(id, FamilyIdTable[row])) return row;
  }
  return 0;
}

Identification FindFamily(const char* path) {
  Identification id;
  uint8_t inquiry[kInquiryLength] = {};
  if (!Inquiry(path, inquiry, kInquiryLength)) return id;
  id.family = LookupInquiry(inquiry);
  if (id.family != 0) return id;

  uint8_t word[kBridgeWordLength] = {};
  if (!ReadBridgeWord(path, word)) {
    id.family = FromBuffer1(path);
    return id;
  }
  uint8_t info[kChipInfoLength] = {};
  uint32_t transferred = 0;
  if (GetChipInfo(path, info, kChipInfoLength, &transferred)) return FromChipInfo(info, word);
  return FromChipInfoAlt(path, info);
}
