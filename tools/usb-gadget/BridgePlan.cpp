#include "usb-gadget/BridgePlan.h"

#include "IDEAccess/Cdb.h"

DevicePlan PlanBridgeCommand(CommandKind kind, const uint8_t* cdb) {
  switch (kind) {
    case CommandKind::kReadBufferData:
      return DataIn(GetBe24(&cdb[cdb_buffer::kLength]));
    case CommandKind::kReadBridgeMemory:
      return DataIn(GetBe24(&cdb[cdb_bridge::kMemoryLength]));
    case CommandKind::kReadBridgeRegister:
      return DataIn(GetBe16(&cdb[cdb_bridge::kRegisterLength]));
    case CommandKind::kWriteBufferData:
    case CommandKind::kWriteBufferRom:
    case CommandKind::kWriteBufferOther:
      return DataOut(GetBe24(&cdb[cdb_buffer::kLength]));
    case CommandKind::kWriteBridgeMemory:
      return DataOut(GetBe24(&cdb[cdb_bridge::kMemoryLength]));
    case CommandKind::kQueryDeviceNumber:
    case CommandKind::kUnknown:
      return NoData();
    default:
      return DataIn(kUpToHost);
  }
}
