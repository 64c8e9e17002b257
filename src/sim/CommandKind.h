#pragma once
// Names for the commands the bridge understands, recognised from their CDB.
// Used by the virtual enclosure to dispatch, by its fault injection to pick
// commands, and by traces to print them.

#include <cstdint>

enum class CommandKind : uint8_t {
  kInquiry,
  kRequestSense,
  kReadBufferDescriptor,  // READ BUFFER mode 3
  kReadBufferData,        // READ BUFFER mode 1
  kWriteBufferData,       // WRITE BUFFER mode 0x0E
  kWriteBufferRom,        // WRITE BUFFER mode 0x06
  kWriteBufferOther,      // any other WRITE BUFFER mode
  kReadBridgeMemory,
  kWriteBridgeMemory,
  kReadBridgeRegister,
  kReadBridgeWord,
  kGetChipInfo,
  kGetChipInfoAlt,
  kReadStatusByte,
  kReadFlashIndex,
  kReadIdString,
  kReadVendorBlock,
  kQueryDeviceNumber,  // not a SCSI command: the device-number query
  kUnknown,
};

constexpr int kCommandKindCount = static_cast<int>(CommandKind::kUnknown) + 1;

CommandKind ClassifyCdb(const uint8_t* cdb, uint8_t cdbLength);
const char* CommandKindName(CommandKind kind);
