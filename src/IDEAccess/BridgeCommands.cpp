#include "IDEAccess/BridgeCommands.h"

#include "IDEAccess/Assertion.h"
#include "IDEAccess/Cdb.h"
#include "IDEAccess/ScsiTransport.h"

namespace {

int In12(const char* path, const Cdb12& cdb, uint8_t* buffer, int32_t length,
         uint32_t* transferred = nullptr) {
  uint32_t ignored = 0;
  return ScsiDataIn(path, cdb.data(), kCdb12Length, buffer, length,
                    transferred ? transferred : &ignored);
}

Cdb12 BridgeQuery(uint8_t query, uint8_t argument) {
  Cdb12 cdb{};
  cdb[0] = opcode::kBridgeQuery;
  cdb[cdb_query::kGroup] = cdb_query::kGroupValue;
  cdb[cdb_query::kQuery] = query;
  cdb[cdb_query::kArgument] = argument;
  return cdb;
}

Cdb12 ChipInfoCdb(uint8_t op) {
  Cdb12 cdb{};
  cdb[0] = op;
  cdb[cdb_chip_info::kSignature0] = cdb_chip_info::kSignature0Value;
  cdb[cdb_chip_info::kSignature1] = cdb_chip_info::kSignature1Value;
  return cdb;
}

Cdb10 BufferCdb(uint8_t op, uint8_t mode, uint8_t bufferId, uint32_t offset, uint32_t length) {
  Cdb10 cdb{};
  cdb[cdb_buffer::kOpcode] = op;
  cdb[cdb_buffer::kMode] = mode;
  cdb[cdb_buffer::kBufferId] = bufferId;
  PutBe24(&cdb[cdb_buffer::kOffset], offset);
  PutBe24(&cdb[cdb_buffer::kLength], length);
  return cdb;
}

}  // namespace

int Inquiry(const char* path, uint8_t* buffer, int32_t length) {
  Cdb12 cdb{};
  cdb[cdb_inquiry::kOpcode] = opcode::kInquiry;
  cdb[cdb_inquiry::kAllocationLength] = static_cast<uint8_t>(length);
  return In12(path, cdb, buffer, length);
}

namespace {

int RequestSenseInto(const char* path, uint8_t (&sense)[kRequestSenseLength]) {
  Cdb12 cdb{};
  cdb[cdb_inquiry::kOpcode] = opcode::kRequestSense;
  cdb[cdb_inquiry::kAllocationLength] = static_cast<uint8_t>(kRequestSenseLength);
  return In12(path, cdb, sense, kRequestSenseLength);
}

// After a failed buffer command: the REQUEST SENSE, as ever; what the device
// said is kept for the thread, the command's own sense first (the system may
// have fetched it already, and cleared the condition by doing so).
void SenseAfterFailure(const char* path) {
  const SenseData own = LastCommandSense();
  uint8_t reply[kRequestSenseLength] = {};
  const bool answered = RequestSenseInto(path, reply) != 0;
  const SenseData asked = answered ? DecodeSense(reply, sizeof reply) : SenseData{};
  NoteFailureSense(own.present ? own : asked);
}

}  // namespace

int RequestSense(const char* path) {
  uint8_t sense[kRequestSenseLength] = {};
  return RequestSenseInto(path, sense);
}

int ReadBuffer(const char* path, uint8_t mode, uint8_t bufferId, uint32_t offset, uint8_t* buffer,
               int32_t length, uint32_t* transferred) {
  const Cdb10 cdb =
      BufferCdb(opcode::kReadBuffer, mode, bufferId, offset, static_cast<uint32_t>(length));
  uint32_t ignored = 0;
  if (ScsiDataIn(path, cdb.data(), kCdb10Length, buffer, length,
                 transferred ? transferred : &ignored)) {
    return 1;
  }
  SenseAfterFailure(path);
  return 0;
}

int WriteBuffer(const char* path, uint8_t bufferId, uint8_t mode, const uint8_t* buffer,
                uint32_t offset, uint32_t length) {
  Cdb10 cdb{};
  if (mode == cdb_buffer::kModeActivateDeferred) {
    cdb[cdb_buffer::kOpcode] = opcode::kWriteBuffer;
    cdb[cdb_buffer::kMode] = mode;
  } else {
    cdb = BufferCdb(opcode::kWriteBuffer, mode, bufferId, offset, length);
  }
  uint32_t transferred = 0;
  if (ScsiDataOut(path, cdb.data(), kCdb10Length, buffer, length, &transferred)) return 1;
  SenseAfterFailure(path);
  return 0;
}

int ReadBridgeMemory(const char* path, uint32_t address, uint8_t* buffer, int32_t length,
                     uint32_t* transferred) {
  Cdb12 cdb{};
  cdb[cdb_bridge::kOpcode] = opcode::kBridgeAccess;
  cdb[cdb_bridge::kModeOrRead] = cdb_bridge::kRead;
  PutBe24(&cdb[cdb_bridge::kMemoryLength], static_cast<uint32_t>(length));
  PutBe24(&cdb[cdb_bridge::kMemoryAddress], address);
  cdb[cdb_bridge::kSelector] = cdb_bridge::kSelectReadMemory;
  return In12(path, cdb, buffer, length, transferred);
}

bool ArrivedWhole(uint32_t transferred, int32_t asked) {
  return asked <= 0 || transferred >= static_cast<uint32_t>(asked);
}

int WriteBridgeMemory(const char* path, uint32_t address, const uint8_t* buffer, uint32_t length,
                      uint8_t mode) {
  Cdb12 cdb{};
  cdb[cdb_bridge::kOpcode] = opcode::kBridgeAccess;
  cdb[cdb_bridge::kModeOrRead] = mode & cdb_bridge::kWriteModeMask;
  PutBe24(&cdb[cdb_bridge::kMemoryLength], length);
  PutBe24(&cdb[cdb_bridge::kMemoryAddress], address);
  cdb[cdb_bridge::kSelector] = cdb_bridge::kSelectWriteMemory;
  uint32_t transferred = 0;
  return ScsiDataOut(path, cdb.data(), kCdb12Length, buffer, length, &transferred);
}

int ReadBridgeRegister(const char* path, uint8_t* buffer, uint16_t address, int32_t length) {
  Cdb12 cdb{};
  cdb[cdb_bridge::kOpcode] = opcode::kBridgeAccess;
  cdb[cdb_bridge::kModeOrRead] = cdb_bridge::kRead;
  PutBe16(&cdb[cdb_bridge::kRegisterLength], static_cast<uint32_t>(length));
  PutBe16(&cdb[cdb_bridge::kRegisterAddress], address);
  cdb[cdb_bridge::kSelector] = cdb_bridge::kSelectReadRegister;
  return In12(path, cdb, buffer, length);
}

int ReadBridgeWord(const char* path, uint8_t* buffer) {
  Cdb12 cdb{};
  cdb[cdb_bridge::kOpcode] = opcode::kBridgeAccess;
  cdb[cdb_bridge::kModeOrRead] = cdb_bridge::kRead;
  cdb[cdb_bridge::kWordLength] = static_cast<uint8_t>(kBridgeWordLength);
  cdb[cdb_bridge::kSelector] = cdb_bridge::kSelectReadWord;
  return In12(path, cdb, buffer, kBridgeWordLength);
}

int GetChipInfo(const char* path, uint8_t* buffer, int32_t length, uint32_t* transferred) {
  return In12(path, ChipInfoCdb(opcode::kChipInfo), buffer, length, transferred);
}

int GetChipInfoAlt(const char* path, uint8_t* buffer, int32_t length, uint32_t* transferred) {
  return In12(path, ChipInfoCdb(opcode::kChipInfoAlt), buffer, length, transferred);
}

int ReadStatusByte(const char* path, uint8_t* buffer) {
  return In12(path, BridgeQuery(cdb_query::kQueryStatus, 0), buffer, kStatusByteLength);
}

int ReadFlashIndex(const char* path, uint8_t* buffer) {
  return In12(path, BridgeQuery(cdb_query::kQueryFlashIndex, cdb_query::kFlashIndexArgument),
              buffer, kFlashIndexLength);
}

int ReadIdString(const char* path, uint8_t* buffer, int32_t length) {
  TQ214_ASSERT(length >= 0x08, "length >= 0x08");
  return In12(path, BridgeQuery(cdb_query::kQueryIdString, cdb_query::kIdStringArgument), buffer,
              length);
}

int ReadVendorBlock(const char* path, uint8_t first, uint8_t second, uint8_t* buffer,
                    int32_t length) {
  Cdb12 cdb{};
  cdb[0] = opcode::kVendorBlock;
  cdb[cdb_vendor_block::kFirst] = first;
  cdb[cdb_vendor_block::kSecond] = second;
  return In12(path, cdb, buffer, length);
}
