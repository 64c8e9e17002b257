// Bridges of the vendor's other families, each naming its family by one route.

#include <cstring>

#include "IDEAccess/Cdb.h"
#include "IDEAccess/ChipReplies.h"
#include "IDEAccess/FamilyIds.h"
#include "sim/VirtualEnclosure.h"

namespace {

constexpr uint16_t kVendorId = 0x6B21;
constexpr uint16_t kProductIdBase = 0x0600;
constexpr uint16_t kVendorIdFamily37 = 0x3A71;
constexpr uint16_t kProductIdFamily37 = 0x7C04;
constexpr uint8_t kFamilyRegisterWordBase = 33;
constexpr uint8_t kFamilyVendorProduct = 37;
constexpr uint8_t kFamilyCheckedByVendorBlock = 12;
constexpr uint8_t kRevisionCharacter = '1';
constexpr uint8_t kIdStringRevision = 2;
constexpr uint8_t kBuffer1Exponent = 4;
constexpr size_t kBuffer1Size = size_t{1} << kBuffer1Exponent;
constexpr size_t kRevisionRegisterByte = 0xFDB0 + 1;
constexpr uint8_t kRevisionRegisterPass = 180;

bool IsThreeDigits(const char* id) {
  for (size_t i = 0; i < kFamilyIdLength; ++i) {
    if (id[i] < '0' || id[i] > '9') return false;
  }
  return true;
}

void NameInInquiry(std::array<uint8_t, 40>& inquiry, uint8_t family) {
  inquiry[inquiry_reply::kMarker] = static_cast<uint8_t>(kMarkerCharacter);
  std::memcpy(&inquiry[inquiry_reply::kFamilyId], FamilyIdTable[family], kFamilyIdLength);
}

std::vector<uint8_t> Buffer1Naming(uint8_t family) {
  std::vector<uint8_t> data(kBuffer1Size, 0);
  const char* id = FamilyIdTable[family];
  if (IsThreeDigits(id)) {
    data[buffer1_reply::kBcdFirstDigit] = static_cast<uint8_t>(id[0] - '0');
    data[buffer1_reply::kBcdLastDigits] =
        static_cast<uint8_t>(((id[1] - '0') << 4) | (id[2] - '0'));
  } else {
    std::memcpy(&data[buffer1_reply::kCharacterId], id, kFamilyIdLength);
  }
  return data;
}

// The family's second-stage string and its revision byte; a family without
// one gets the marker and its table id, which no second-stage string matches.
void IdStringNaming(std::array<uint8_t, 40>& idString, uint8_t family) {
  idString.fill(0);
  for (const SecondStageId& entry : kSecondStageIds) {
    if (entry.family != family) continue;
    std::memcpy(idString.data(), entry.text, entry.length);
    size_t next = entry.length;
    if (next < id_string_reply::kRevision) idString[next++] = '-';
    if (next == id_string_reply::kRevision) {
      idString[next] = entry.rule == IdRevisionRule::kBinary
                           ? kIdStringRevision
                           : static_cast<uint8_t>('0' + kIdStringRevision);
    }
    return;
  }
  idString[0] = static_cast<uint8_t>(kMarkerCharacter);
  std::memcpy(&idString[1], FamilyIdTable[family], kFamilyIdLength);
}

}  // namespace

VirtualEnclosure VirtualEnclosure::Bridge(uint8_t family, IdRoute route) {
  VirtualEnclosure chip = Tbr640();
  if (family == 0 || family >= kFamilyRows) return chip;
  Identity& id = chip.identity_;

  // Quiet on every route first.
  std::memset(&id.inquiry[inquiry_reply::kMarker], 0, inquiry_reply::kEnd - inquiry_reply::kMarker);
  chip.SetAnswers(CommandKind::kReadIdString, false);
  chip.SetAnswers(CommandKind::kReadVendorBlock, false);
  chip.SetAnswers(CommandKind::kGetChipInfoAlt, false);
  id.buffer1.clear();
  id.buffer1Exponent = 0;
  chip.registers_[kRevisionRegisterByte] = 0;
  PutBe16(&id.chipInfo[chip_info_reply::kVendorId], kVendorId);
  PutBe16(&id.chipInfo[chip_info_reply::kProductId], kProductIdBase + family);
  std::memcpy(&id.chipInfo[chip_info_reply::kFamilyId], FamilyIdTable[family], kFamilyIdLength);
  id.chipInfo[chip_info_reply::kRevision] = kRevisionCharacter;
  id.chipInfoAlt = id.chipInfo;

  switch (route) {
    case IdRoute::kInquiry:
      NameInInquiry(id.inquiry, family);
      break;
    case IdRoute::kRegisterWord:
      id.chipInfo[chip_info_reply::kSignature] = 0;
      id.chipInfo[chip_info_reply::kSignature + 1] = 0;
      id.bridgeWord = {static_cast<uint8_t>((family - kFamilyRegisterWordBase) << 5), 0};
      break;
    case IdRoute::kChipInfo:
      if (family == kFamilyVendorProduct) {
        PutBe16(&id.chipInfo[chip_info_reply::kVendorId], kVendorIdFamily37);
        PutBe16(&id.chipInfo[chip_info_reply::kProductId], kProductIdFamily37);
      }
      break;
    case IdRoute::kChipInfoAlt:
      chip.SetAnswers(CommandKind::kGetChipInfo, false);
      chip.SetAnswers(CommandKind::kGetChipInfoAlt, true);
      break;
    case IdRoute::kReadBuffer:
      chip.SetAnswers(CommandKind::kReadBridgeWord, false);
      id.buffer1 = Buffer1Naming(family);
      id.buffer1Exponent = kBuffer1Exponent;
      break;
    case IdRoute::kIdString:
      chip.SetAnswers(CommandKind::kReadBridgeWord, false);
      chip.SetAnswers(CommandKind::kReadIdString, true);
      IdStringNaming(id.idString, family);
      break;
    case IdRoute::kVendorBlock:
      NameInInquiry(id.inquiry, kFamilyCheckedByVendorBlock);
      chip.SetAnswers(CommandKind::kReadVendorBlock, true);
      break;
    case IdRoute::kRevisionRegister:
      NameInInquiry(id.inquiry, kFamilyCheckedByVendorBlock);
      chip.registers_[kRevisionRegisterByte] = kRevisionRegisterPass;
      break;
  }
  return chip;
}
