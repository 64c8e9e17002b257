// The second stage of chip identification, chosen by the family code that the
// first stage found.

#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/ChipIdentification.h"
#include "IDEAccess/ChipIdentificationStages.h"
#include "IDEAccess/ChipReplies.h"
#include "IDEAccess/FamilyIds.h"
#include "seams/Seams.h"

namespace {

constexpr uint8_t kFamilyNeedsCheck = 8;
constexpr uint8_t kFamilyVendorBlockCheck = 12;
constexpr uint8_t kFamilyWithVendorBlock = 28;
constexpr uint8_t kFamilyRevisionOnFailure = 1;

// ReadVendorBlock's parameters and reply size; only its success counts.
constexpr uint8_t kVendorBlockFirst = 100;
constexpr uint8_t kVendorBlockSecond = 1;
constexpr int32_t kVendorBlockLength = 512;
constexpr uint8_t kRevisionRegisterRevision = 5;

// A revision character as an ASCII digit counts from 1: '0' gives 1.
constexpr uint8_t kDigitRevisionBase = 47;

bool ReadsIdString(uint8_t family) {
  switch (family) {
    case 0:
    case 1:
    case 3:
    case 5:
    case 7:
    case 11:
    case 30:
      return true;
    default:
      return false;
  }
}

uint8_t RevisionFor(IdRevisionRule rule, uint8_t c, uint8_t current) {
  switch (rule) {
    case IdRevisionRule::kDigit:
      return static_cast<uint8_t>(c - kDigitRevisionBase);
    case IdRevisionRule::kBinary:
      return static_cast<uint8_t>(c + 1);
    case IdRevisionRule::kDigitOrOne:
      return c == 0 ? 1 : static_cast<uint8_t>(c - kDigitRevisionBase);
    case IdRevisionRule::kUnchanged:
      break;
  }
  return current;
}

void ByIdString(const char* path, Identification* id) {
  uint8_t reply[kIdStringLength] = {};
  if (!ReadIdString(path, reply, kIdStringLength)) {
    if (id->family == kFamilyRevisionOnFailure) id->revision = 1;
    return;
  }
  // The id string ends at its first zero byte or after byte 7; what lies past
  // its end reads as zero.
  char text[id_string_reply::kLength + 1] = {};
  for (size_t i = 0; i < id_string_reply::kLength && reply[i] != 0; ++i) {
    text[i] = static_cast<char>(reply[i]);
  }
  const auto c = static_cast<uint8_t>(text[id_string_reply::kRevision]);
  for (const SecondStageId& entry : kSecondStageIds) {
    static_assert(sizeof(entry.text) <= sizeof(text), "comparison stays inside both");
    if (std::memcmp(text, entry.text, entry.length) == 0) {
      id->family = entry.family;
      id->revision = RevisionFor(entry.rule, c, id->revision);
      return;
    }
  }
}

// Family 8 reads the short chip information once more; the revision is its
// character '1' or '2'. Anything else is reported to the operator.
void CheckFamily8(const char* path, Identification* id) {
  uint8_t info[chip_info_reply::kShortSize] = {};
  uint32_t transferred = 0;
  const bool read = GetChipInfo(path, info, static_cast<int32_t>(sizeof info), &transferred) != 0;
  const uint8_t revision = info[chip_info_reply::kRevision];
  if (!read || !chip_info_reply::HasSignature(info) || (revision != '1' && revision != '2')) {
    // An OK button (style 0) with the error icon.
    ActiveShell().ShowMessageBox(kChipInfoFailText, kChipInfoFailCaption, kMbIconError);
    return;
  }
  id->revision = revision == '1' ? 1 : 2;
}

void CheckFamily12(const char* path, Identification* id) {
  uint8_t block[kVendorBlockLength] = {};
  if (ReadVendorBlock(path, kVendorBlockFirst, kVendorBlockSecond, block, kVendorBlockLength)) {
    id->family = kFamilyWithVendorBlock;
  } else if (CheckRevisionRegister(path)) {
    id->revision = kRevisionRegisterRevision;
  }
}

}  // namespace

void RefineFamily(const char* path, Identification* id) {
  if (ReadsIdString(id->family)) {
    ByIdString(path, id);
  } else if (id->family == kFamilyNeedsCheck) {
    CheckFamily8(path, id);
  } else if (id->family == kFamilyVendorBlockCheck) {
    CheckFamily12(path, id);
  }
}
