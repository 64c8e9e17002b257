#include "sim/VirtualEnclosure.h"

#include <algorithm>
#include <cstring>

#include "IDEAccess/Cdb.h"
#include "IDEAccess/FamilyIds.h"

namespace {

// Sense keys and additional sense codes the model reports.
constexpr uint8_t kSenseIllegalRequest = 0x05;
constexpr uint8_t kSenseHardwareError = 0x04;
constexpr uint8_t kAscInvalidOpcode = 0x20;
constexpr uint8_t kAscInvalidField = 0x24;
constexpr uint8_t kAscInternalTargetFailure = 0x44;

// Fixed-format sense data.
constexpr size_t kSenseSize = 18;
constexpr size_t kSenseResponseCode = 0;
constexpr size_t kSenseKey = 2;
constexpr size_t kSenseAdditionalLength = 7;
constexpr size_t kSenseAsc = 12;
constexpr size_t kSenseAscq = 13;

// Chip information reply.
constexpr size_t kInfoSignature = 0;
constexpr size_t kInfoVendorId = 2;
constexpr size_t kInfoProductId = 4;
constexpr size_t kInfoRunningFirmware = 6;
constexpr size_t kInfoFamilyId = 8;
constexpr size_t kInfoRevision = 11;
constexpr size_t kInfoVersion = 12;

// INQUIRY data.
constexpr size_t kInquiryVendor = 8;
constexpr size_t kInquiryProduct = 16;
constexpr size_t kInquiryRevision = 32;
constexpr size_t kInquiryMarker = 36;
constexpr size_t kInquiryFamilyId = 37;

constexpr uint16_t kTbr640VendorId = 0x6B21;
constexpr uint16_t kTbr640ProductId = 0x0640;

void PutText(uint8_t* at, const char* text, size_t width) {
  const size_t n = std::strlen(text);
  std::memset(at, ' ', width);
  std::copy(text, text + std::min(n, width), at);
}

// A string field of the configuration block: length byte 2 + 2 * characters,
// type byte 3, one byte per character.
void PutStringField(uint8_t* block, size_t offset, const char* text) {
  const size_t n = std::strlen(text);
  block[offset] = static_cast<uint8_t>(2 + 2 * n);
  block[offset + 1] = 0x03;
  std::copy(text, text + n, block + offset + 2);
}

void InitialConfigBlock(uint8_t* block) {
  block[0] = kTbr640VendorId & 0xFF;
  block[1] = kTbr640VendorId >> 8;
  block[2] = kTbr640ProductId & 0xFF;
  block[3] = kTbr640ProductId >> 8;
  PutStringField(block, 12, "Orvexa");
  PutStringField(block, 48, "TQ-214 Enclosure");
  PutStringField(block, 84, "0000000000000214");
  const char disk[] = "TQ-214  USB3.0 SATA Disk";  // 24 characters, no terminator
  std::copy(disk, disk + 24, block + 200);
}

}  // namespace

VirtualEnclosure::VirtualEnclosure()
    : memory_(kBridgeMemorySize, 0),
      registers_(kRegisterSpaceSize, 0),
      download_(kDownloadStorageSize, 0) {}

VirtualEnclosure VirtualEnclosure::Tbr640() {
  VirtualEnclosure chip;
  chip.answers_.fill(true);
  chip.SetAnswers(CommandKind::kReadVendorBlock, false);
  chip.SetAnswers(CommandKind::kGetChipInfoAlt, false);
  chip.SetAnswers(CommandKind::kWriteBufferOther, false);
  chip.SetAnswers(CommandKind::kUnknown, false);

  Identity& id = chip.identity_;
  id.inquiry[0] = 0x00;  // direct-access block device
  id.inquiry[2] = 0x06;
  id.inquiry[3] = 0x02;
  id.inquiry[4] = static_cast<uint8_t>(id.inquiry.size() - 5);
  PutText(&id.inquiry[kInquiryVendor], "Orvexa", 8);
  PutText(&id.inquiry[kInquiryProduct], "TQ-214 Enclosure", 16);
  PutText(&id.inquiry[kInquiryRevision], "0100", 4);
  id.inquiry[kInquiryMarker] = kMarkerCharacter;
  std::memcpy(&id.inquiry[kInquiryFamilyId], FamilyIdTable[kFamilyTbr640], kFamilyIdLength);

  id.chipInfo[kInfoSignature] = 0xF4;
  id.chipInfo[kInfoSignature + 1] = 0xE7;
  PutBe16(&id.chipInfo[kInfoVendorId], kTbr640VendorId);
  PutBe16(&id.chipInfo[kInfoProductId], kTbr640ProductId);
  id.chipInfo[kInfoRunningFirmware] = 0x01;
  std::memcpy(&id.chipInfo[kInfoFamilyId], FamilyIdTable[kFamilyTbr640], kFamilyIdLength);
  id.chipInfo[kInfoRevision] = '2';
  id.chipInfoAlt = id.chipInfo;

  id.bridgeWord = {0x20, 0x00};
  id.flashIndex = {0x00, 0x01, 0x00, 0x00};
  const char idText[] = {kMarkerCharacter, '6', '4', '0', '-', '2'};
  std::memcpy(id.idString.data(), idText, sizeof idText);
  // Buffer 1 carries the family id "640" in binary-coded decimal at bytes 4-5.
  id.buffer1Exponent = 4;
  id.buffer1.assign(16, 0);
  id.buffer1[4] = 0x06;
  id.buffer1[5] = 0x40;

  chip.SetFirmwareVersion(21, 32, 0, 1);
  InitialConfigBlock(chip.memory() + kConfigBlockAddressSim);
  chip.registers_[0xFDB0 + 1] = 180;
  return chip;
}

VirtualEnclosure VirtualEnclosure::SilentDisk() {
  return VirtualEnclosure();
}

VirtualEnclosure VirtualEnclosure::PlainDisk() {
  VirtualEnclosure disk;
  disk.SetAnswers(CommandKind::kInquiry, true);
  disk.SetAnswers(CommandKind::kRequestSense, true);
  disk.identity_.inquiry[2] = 0x06;
  disk.identity_.inquiry[3] = 0x02;
  disk.identity_.inquiry[4] = 31;
  PutText(&disk.identity_.inquiry[kInquiryVendor], "ATA", 8);
  PutText(&disk.identity_.inquiry[kInquiryProduct], "Generic SSD", 16);
  PutText(&disk.identity_.inquiry[kInquiryRevision], "1.0", 4);
  return disk;
}

void VirtualEnclosure::SetFirmwareVersion(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  const uint8_t version[4] = {a, b, c, d};
  std::memcpy(&identity_.chipInfo[kInfoVersion], version, 4);
  std::memcpy(&identity_.chipInfoAlt[kInfoVersion], version, 4);
}

void VirtualEnclosure::SetDescriptor(uint8_t boundary, uint32_t capacity) {
  boundary_ = boundary;
  capacity_ = capacity & 0xFFFFFF;
}

void VirtualEnclosure::SetRunningInternalCode(bool internal) {
  internalCode_ = internal;
  romLoaded_ = false;
  identity_.chipInfo[kInfoRunningFirmware] = internal ? 0x00 : 0x01;
  if (internal) {
    SetDescriptor(kBoundaryInternalCode, kRomSize);
  } else {
    SetDescriptor(kBoundaryFirmware, kRomSize);
  }
}

void VirtualEnclosure::PowerCycle() {
  if (downloadCoverage_ >= kActivationSize && !internalCode_ && !faults_.keepOldFirmware) {
    const uint8_t* version = download_.data() + kImageVersionOffset;
    SetFirmwareVersion(version[0], version[1], version[2], version[3]);
  }
  downloadCoverage_ = 0;
  sense_ = {};
  romLoaded_ = false;
  downloadedBytes_ = 0;
  downloadPieces_ = 0;
  readBackPasses_ = 0;
}

void VirtualEnclosure::RecordInjectedFailure() {
  sense_ = {kSenseHardwareError, kAscInternalTargetFailure, 0};
}

ChipReply VirtualEnclosure::CheckCondition(uint8_t key, uint8_t asc, uint8_t ascq) {
  sense_ = {key, asc, ascq};
  return {kStatusCheckCondition, 0};
}

ChipReply VirtualEnclosure::Reply(const uint8_t* source, uint32_t size, uint8_t* data,
                                  uint32_t length) {
  const uint32_t n = std::min(size, length);
  if (n != 0) std::memcpy(data, source, n);
  return {kStatusGood, n};
}

ChipReply VirtualEnclosure::Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn,
                                    uint8_t* data, uint32_t length) {
  const CommandKind kind = ClassifyCdb(cdb, cdbLength);
  if (!Answers(kind)) return CheckCondition(kSenseIllegalRequest, kAscInvalidOpcode);
  // Data must travel the way the command moves it.
  const bool wantsIn =
      kind != CommandKind::kWriteBufferData && kind != CommandKind::kWriteBufferRom &&
      kind != CommandKind::kWriteBufferOther && kind != CommandKind::kWriteBridgeMemory;
  if (length != 0 && wantsIn != dataIn)
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);

  switch (kind) {
    case CommandKind::kInquiry:
      return Reply(identity_.inquiry.data(), identity_.inquiry.size(), data, length);
    case CommandKind::kRequestSense:
      return RequestSense(data, length);
    case CommandKind::kReadBufferDescriptor:
      return ReadBufferDescriptor(cdb, data, length);
    case CommandKind::kReadBufferData:
      return ReadBufferData(cdb, data, length);
    case CommandKind::kWriteBufferData:
      return WriteBufferData(cdb, data, length);
    case CommandKind::kWriteBufferRom:
      return WriteBufferRom(cdb, data, length);
    case CommandKind::kReadBridgeMemory:
      return ReadMemory(cdb, data, length);
    case CommandKind::kWriteBridgeMemory:
      return WriteMemory(cdb, data, length);
    case CommandKind::kReadBridgeRegister:
      return ReadRegister(cdb, data, length);
    case CommandKind::kReadBridgeWord:
      return Reply(identity_.bridgeWord.data(), identity_.bridgeWord.size(), data, length);
    case CommandKind::kGetChipInfo:
      return ChipInformation(identity_.chipInfo, data, length);
    case CommandKind::kGetChipInfoAlt:
      return ChipInformation(identity_.chipInfoAlt, data, length);
    case CommandKind::kReadStatusByte:
      return StatusByte(data, length);
    case CommandKind::kReadFlashIndex:
      return Reply(identity_.flashIndex.data(), identity_.flashIndex.size(), data, length);
    case CommandKind::kReadIdString:
      return Reply(identity_.idString.data(), identity_.idString.size(), data, length);
    case CommandKind::kReadVendorBlock:
      return VendorBlock(data, length);
    default:
      return CheckCondition(kSenseIllegalRequest, kAscInvalidOpcode);
  }
}

ChipReply VirtualEnclosure::RequestSense(uint8_t* data, uint32_t length) {
  uint8_t sense[kSenseSize] = {};
  sense[kSenseResponseCode] = 0x70;
  sense[kSenseKey] = sense_[0];
  sense[kSenseAdditionalLength] = kSenseSize - 8;
  sense[kSenseAsc] = sense_[1];
  sense[kSenseAscq] = sense_[2];
  sense_ = {};
  return Reply(sense, kSenseSize, data, length);
}

ChipReply VirtualEnclosure::ChipInformation(const std::array<uint8_t, 16>& info, uint8_t* data,
                                            uint32_t length) {
  std::array<uint8_t, 16> reply = info;
  if (faults_.wrongSignature) {
    reply[kInfoSignature] = 0x00;
    reply[kInfoSignature + 1] = 0x00;
  }
  return Reply(reply.data(), reply.size(), data, length);
}

ChipReply VirtualEnclosure::StatusByte(uint8_t* data, uint32_t length) {
  uint8_t status[2] = {0, 0};
  if (faults_.busyReads != 0) {
    status[0] = 0x01;
    if (faults_.busyReads != UINT32_MAX) --faults_.busyReads;
  }
  return Reply(status, sizeof status, data, length);
}

ChipReply VirtualEnclosure::ReadBufferDescriptor(const uint8_t* cdb, uint8_t* data,
                                                 uint32_t length) {
  uint8_t descriptor[4] = {};
  const uint8_t bufferId = cdb[cdb_buffer::kBufferId];
  if (bufferId == 0) {
    descriptor[0] = boundary_;
    PutBe24(&descriptor[1], capacity_);
  } else if (bufferId == 1 && !identity_.buffer1.empty()) {
    descriptor[0] = identity_.buffer1Exponent;
    PutBe24(&descriptor[1], static_cast<uint32_t>(identity_.buffer1.size()));
  } else {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  return Reply(descriptor, sizeof descriptor, data, length);
}

ChipReply VirtualEnclosure::ReadBufferData(const uint8_t* cdb, uint8_t* data, uint32_t length) {
  const uint8_t bufferId = cdb[cdb_buffer::kBufferId];
  const uint32_t offset = GetBe24(&cdb[cdb_buffer::kOffset]);
  const uint32_t wanted = GetBe24(&cdb[cdb_buffer::kLength]);
  if (bufferId == 1) {
    const uint32_t size = static_cast<uint32_t>(identity_.buffer1.size());
    if (offset > size) return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
    return Reply(identity_.buffer1.data() + offset, std::min(size - offset, wanted), data, length);
  }
  if (bufferId != 0 || internalCode_) return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  if (static_cast<uint64_t>(offset) + wanted > kDownloadStorageSize) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  const std::optional<uint32_t>& refused = faults_.refuseReadBackAt;
  if (refused && *refused >= offset && *refused - offset < wanted) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  ChipReply reply = Reply(download_.data() + offset, wanted, data, length);
  const uint32_t flip = faults_.flipOffset;
  if (faults_.flipReadBack && flip >= offset && flip < offset + reply.transferred) {
    if (faults_.flipReadBackPasses == 0 || readBackPasses_ < faults_.flipReadBackPasses) {
      data[flip - offset] ^= 0xFF;
    }
    ++readBackPasses_;
  }
  return reply;
}

ChipReply VirtualEnclosure::WriteBufferData(const uint8_t* cdb, const uint8_t* data,
                                            uint32_t length) {
  const uint32_t offset = GetBe24(&cdb[cdb_buffer::kOffset]);
  const uint32_t size = GetBe24(&cdb[cdb_buffer::kLength]);
  if (internalCode_ || cdb[cdb_buffer::kBufferId] != 0 || boundary_ >= 24) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  const uint32_t step = 1u << boundary_;
  if (offset % step != 0 || size > length || static_cast<uint64_t>(offset) + size > capacity_ ||
      static_cast<uint64_t>(offset) + size > kDownloadStorageSize) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  if (!faults_.ignoreBufferWrites && size != 0) {
    std::memcpy(download_.data() + offset, data, size);
    if (offset == 0 && size > kChipHeaderOffset) StampHeader();
    if (offset <= downloadCoverage_) downloadCoverage_ = std::max(downloadCoverage_, offset + size);
  }
  downloadedBytes_ = std::max(downloadedBytes_, offset + size);
  ++downloadPieces_;
  return {kStatusGood, size};
}

void VirtualEnclosure::StampHeader() {
  const uint32_t end = std::min(kChipHeaderOffset + kChipHeaderSize, kDownloadStorageSize);
  for (uint32_t i = kChipHeaderOffset; i < end; ++i) {
    download_[i] = static_cast<uint8_t>(0xC3 ^ i ^ downloadPieces_);
  }
}

ChipReply VirtualEnclosure::WriteBufferRom(const uint8_t* cdb, const uint8_t* data,
                                           uint32_t length) {
  const uint32_t offset = GetBe24(&cdb[cdb_buffer::kOffset]);
  const uint32_t size = GetBe24(&cdb[cdb_buffer::kLength]);
  (void)data;
  if (!internalCode_ || offset != 0 || size != kRomSize || length < size) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  if (!faults_.ignoreBufferWrites) romLoaded_ = true;
  return {kStatusGood, size};
}

ChipReply VirtualEnclosure::ReadMemory(const uint8_t* cdb, uint8_t* data, uint32_t length) {
  const uint32_t size = GetBe24(&cdb[cdb_bridge::kMemoryLength]);
  const uint32_t address = GetBe24(&cdb[cdb_bridge::kMemoryAddress]);
  if (static_cast<uint64_t>(address) + size > kBridgeMemorySize) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  return Reply(memory_.data() + address, size, data, length);
}

ChipReply VirtualEnclosure::WriteMemory(const uint8_t* cdb, const uint8_t* data, uint32_t length) {
  const uint8_t mode = cdb[cdb_bridge::kModeOrRead];
  const uint32_t size = GetBe24(&cdb[cdb_bridge::kMemoryLength]);
  const uint32_t address = GetBe24(&cdb[cdb_bridge::kMemoryAddress]);
  if (mode == 3) {
    // The switch from internal code to the loaded ROM's firmware.
    if (size != 0 || address != 0) return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
    if (internalCode_ && romLoaded_) {
      internalCode_ = false;
      identity_.chipInfo[kInfoRunningFirmware] = 0x01;
      SetDescriptor(kBoundaryFirmware, kRomSize);
    }
    return {kStatusGood, 0};
  }
  if (mode != 1 || size > length || static_cast<uint64_t>(address) + size > kBridgeMemorySize) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  if (!faults_.ignoreMemoryWrites && size != 0) std::memcpy(memory_.data() + address, data, size);
  return {kStatusGood, size};
}

ChipReply VirtualEnclosure::ReadRegister(const uint8_t* cdb, uint8_t* data, uint32_t length) {
  const uint32_t size = GetBe16(&cdb[cdb_bridge::kRegisterLength]);
  const uint32_t address = GetBe16(&cdb[cdb_bridge::kRegisterAddress]);
  if (address + size > kRegisterSpaceSize) {
    return CheckCondition(kSenseIllegalRequest, kAscInvalidField);
  }
  return Reply(registers_.data() + address, size, data, length);
}

ChipReply VirtualEnclosure::VendorBlock(uint8_t* data, uint32_t length) {
  std::vector<uint8_t> block(512, 0);
  return Reply(block.data(), static_cast<uint32_t>(block.size()), data, length);
}
