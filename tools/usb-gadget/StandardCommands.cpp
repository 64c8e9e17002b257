#include "usb-gadget/StandardCommands.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "IDEAccess/Cdb.h"
#include "usb-gadget/ScsiCodes.h"

namespace {

struct BlockRange {
  uint64_t lba = 0;
  uint64_t count = 0;
};

bool IsSixteenByte(uint8_t opcode) {
  return opcode == scsi_op::kRead16 || opcode == scsi_op::kWrite16;
}

BlockRange RangeOf(const uint8_t* cdb) {
  if (IsSixteenByte(cdb[0])) return {GetBe64(&cdb[cdb_rw::kLba]), GetBe32(&cdb[cdb_rw::kBlocks16])};
  return {GetBe32(&cdb[cdb_rw::kLba]), GetBe16(&cdb[cdb_rw::kBlocks10])};
}

// The bytes a READ or WRITE moves; beyond 32 bits it is more than any host
// announces, which makes it a phase error.
uint32_t BytesOf(const BlockRange& range) {
  const uint64_t bytes = range.count * kRamDiskBlockSize;
  return bytes >= kUpToHost ? kUpToHost - 1 : static_cast<uint32_t>(bytes);
}

ChipReply Copy(const uint8_t* reply, uint32_t size, uint32_t allocation, uint8_t* data,
               uint32_t length) {
  const uint32_t n = std::min({size, allocation, length});
  if (n != 0) std::memcpy(data, reply, n);
  return {kStatusGood, n};
}

}  // namespace

uint8_t CdbLengthOfGroup(uint8_t opcode) {
  switch (opcode >> 5) {
    case 0:
      return 6;
    case 1:
    case 2:
      return 10;
    case 4:
      return 16;
    case 5:
      return 12;
    default:
      return 0;
  }
}

DevicePlan StandardCommands::Plan(const uint8_t* cdb, uint8_t cdbLength) const {
  if (cdbLength < CdbLengthOfGroup(cdb[0])) return NoData();
  switch (cdb[0]) {
    case scsi_op::kReadCapacity10:
    case scsi_op::kServiceActionIn16:
    case scsi_op::kModeSense6:
    case scsi_op::kModeSense10:
      return DataIn(kUpToHost);
    case scsi_op::kRead10:
    case scsi_op::kRead16:
      return DataIn(BytesOf(RangeOf(cdb)));
    case scsi_op::kWrite10:
    case scsi_op::kWrite16:
      return DataOut(BytesOf(RangeOf(cdb)));
    default:
      return NoData();
  }
}

ChipReply StandardCommands::Execute(const uint8_t* cdb, uint8_t cdbLength, uint8_t* data,
                                    uint32_t length) {
  if (cdbLength < CdbLengthOfGroup(cdb[0])) {
    return sense_.Fail(sense::kKeyIllegalRequest, sense::kAscInvalidFieldInCdb);
  }
  switch (cdb[0]) {
    case scsi_op::kTestUnitReady:
    case scsi_op::kPreventAllowRemoval:
    case scsi_op::kSynchronizeCache10:
    case scsi_op::kSynchronizeCache16:
      return {kStatusGood, 0};
    case scsi_op::kReadCapacity10:
      return ReadCapacity10(data, length);
    case scsi_op::kServiceActionIn16:
      return ServiceActionIn(cdb, data, length);
    case scsi_op::kModeSense6:
      return ModeSense(cdb, false, data, length);
    case scsi_op::kModeSense10:
      return ModeSense(cdb, true, data, length);
    case scsi_op::kRead10:
    case scsi_op::kRead16:
      return Transfer(cdb, false, data, length);
    case scsi_op::kWrite10:
    case scsi_op::kWrite16:
      return Transfer(cdb, true, data, length);
    default:
      return sense_.Fail(sense::kKeyIllegalRequest, sense::kAscInvalidOpcode);
  }
}

ChipReply StandardCommands::ReadCapacity10(uint8_t* data, uint32_t length) const {
  std::array<uint8_t, cdb_rw::kCapacity10Size> reply{};
  PutBe32(&reply[0], disk_.blocks() - 1);
  PutBe32(&reply[4], kRamDiskBlockSize);
  return Copy(reply.data(), static_cast<uint32_t>(reply.size()), kUpToHost, data, length);
}

ChipReply StandardCommands::ServiceActionIn(const uint8_t* cdb, uint8_t* data, uint32_t length) {
  if ((cdb[cdb_rw::kServiceAction] & cdb_rw::kServiceActionMask) !=
      scsi_op::kReadCapacity16Action) {
    return sense_.Fail(sense::kKeyIllegalRequest, sense::kAscInvalidFieldInCdb);
  }
  std::array<uint8_t, cdb_rw::kCapacity16Size> reply{};
  PutBe64(&reply[0], uint64_t{disk_.blocks()} - 1);
  PutBe32(&reply[8], kRamDiskBlockSize);
  return Copy(reply.data(), static_cast<uint32_t>(reply.size()),
              GetBe32(&cdb[cdb_rw::kAllocation16]), data, length);
}

ChipReply StandardCommands::ModeSense(const uint8_t* cdb, bool tenByte, uint8_t* data,
                                      uint32_t length) const {
  // The header alone: the mode data length counts the bytes after its own field.
  std::array<uint8_t, cdb_mode::kHeader10Size> header{};
  if (tenByte) {
    PutBe16(&header[0], cdb_mode::kHeader10Size - 2);
    return Copy(header.data(), cdb_mode::kHeader10Size, GetBe16(&cdb[cdb_mode::kAllocation10]),
                data, length);
  }
  header[0] = cdb_mode::kHeader6Size - 1;
  return Copy(header.data(), cdb_mode::kHeader6Size, cdb[cdb_mode::kAllocation6], data, length);
}

ChipReply StandardCommands::Transfer(const uint8_t* cdb, bool write, uint8_t* data,
                                     uint32_t length) {
  const BlockRange range = RangeOf(cdb);
  if (!disk_.Holds(range.lba, range.count)) {
    return sense_.Fail(sense::kKeyIllegalRequest, sense::kAscLbaOutOfRange);
  }
  const uint64_t bytes = range.count * kRamDiskBlockSize;
  if (bytes > length) return sense_.Fail(sense::kKeyIllegalRequest, sense::kAscInvalidFieldInCdb);
  const auto count = static_cast<uint32_t>(range.count);
  if (write) {
    disk_.Write(range.lba, count, data);
  } else {
    disk_.Read(range.lba, count, data);
  }
  return {kStatusGood, static_cast<uint32_t>(bytes)};
}
