#include "sim/CommandKind.h"

#include "IDEAccess/Cdb.h"

namespace {

CommandKind ClassifyBridgeAccess(const uint8_t* cdb) {
  switch (cdb[cdb_bridge::kSelector]) {
    case cdb_bridge::kSelectReadMemory:
      return CommandKind::kReadBridgeMemory;
    case cdb_bridge::kSelectWriteMemory:
      return CommandKind::kWriteBridgeMemory;
    case cdb_bridge::kSelectReadRegister:
      return CommandKind::kReadBridgeRegister;
    case cdb_bridge::kSelectReadWord:
      return CommandKind::kReadBridgeWord;
    default:
      return CommandKind::kUnknown;
  }
}

CommandKind ClassifyBridgeQuery(const uint8_t* cdb) {
  if (cdb[cdb_query::kGroup] != cdb_query::kGroupValue) return CommandKind::kUnknown;
  switch (cdb[cdb_query::kQuery]) {
    case cdb_query::kQueryStatus:
      return CommandKind::kReadStatusByte;
    case cdb_query::kQueryFlashIndex:
      return CommandKind::kReadFlashIndex;
    case cdb_query::kQueryIdString:
      return CommandKind::kReadIdString;
    default:
      return CommandKind::kUnknown;
  }
}

bool HasChipInfoSignature(const uint8_t* cdb) {
  return cdb[cdb_chip_info::kSignature0] == cdb_chip_info::kSignature0Value &&
         cdb[cdb_chip_info::kSignature1] == cdb_chip_info::kSignature1Value;
}

}  // namespace

CommandKind ClassifyCdb(const uint8_t* cdb, uint8_t cdbLength) {
  if (cdbLength == kCdb10Length) {
    if (cdb[0] == opcode::kReadBuffer) {
      if (cdb[cdb_buffer::kMode] == 0x03) return CommandKind::kReadBufferDescriptor;
      if (cdb[cdb_buffer::kMode] == 0x01) return CommandKind::kReadBufferData;
      return CommandKind::kUnknown;
    }
    if (cdb[0] == opcode::kWriteBuffer) {
      if (cdb[cdb_buffer::kMode] == 0x0E) return CommandKind::kWriteBufferData;
      if (cdb[cdb_buffer::kMode] == 0x06) return CommandKind::kWriteBufferRom;
      return CommandKind::kWriteBufferOther;
    }
    return CommandKind::kUnknown;
  }
  if (cdbLength != kCdb12Length) return CommandKind::kUnknown;
  switch (cdb[0]) {
    case opcode::kInquiry:
      return CommandKind::kInquiry;
    case opcode::kRequestSense:
      return CommandKind::kRequestSense;
    case opcode::kBridgeAccess:
      return ClassifyBridgeAccess(cdb);
    case opcode::kChipInfo:
      return HasChipInfoSignature(cdb) ? CommandKind::kGetChipInfo : CommandKind::kUnknown;
    case opcode::kChipInfoAlt:
      return HasChipInfoSignature(cdb) ? CommandKind::kGetChipInfoAlt : CommandKind::kUnknown;
    case opcode::kBridgeQuery:
      return ClassifyBridgeQuery(cdb);
    case opcode::kVendorBlock:
      return CommandKind::kReadVendorBlock;
    default:
      return CommandKind::kUnknown;
  }
}

const char* CommandKindName(CommandKind kind) {
  static const char* const kNames[kCommandKindCount] = {
      "Inquiry",
      "RequestSense",
      "ReadBuffer(descriptor)",
      "ReadBuffer(data)",
      "WriteBuffer(data)",
      "WriteBuffer(rom)",
      "WriteBuffer",
      "ReadBridgeMemory",
      "WriteBridgeMemory",
      "ReadBridgeRegister",
      "ReadBridgeWord",
      "GetChipInfo",
      "GetChipInfoAlt",
      "ReadStatusByte",
      "ReadFlashIndex",
      "ReadIdString",
      "ReadVendorBlock",
      "QueryDeviceNumber",
      "Unknown",
  };
  const int index = static_cast<int>(kind);
  return index >= 0 && index < kCommandKindCount ? kNames[index] : "Unknown";
}
