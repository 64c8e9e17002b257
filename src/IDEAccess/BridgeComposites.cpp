#include "IDEAccess/BridgeCommands.h"
#include "seams/Seams.h"

int WaitBridgeReady(const char* path) {
  // A first read that fails, or cannot even open the device, leaves the byte
  // zero: not busy. A re-read that cannot open the device leaves the last byte.
  uint8_t status = 0;
  ReadStatusByte(path, &status);
  for (int rereads = 0; status & kStatusBusyBit; ++rereads) {
    if (rereads == kBridgeReadyRereads) return 0;
    ActiveShell().Sleep(kBridgeReadySleepMs);
    ReadStatusByte(path, &status);
  }
  return 1;
}

int CheckRevisionRegister(const char* path) {
  uint8_t reply[4] = {};
  if (!ReadBridgeRegister(path, reply, kRevisionRegisterAddress, sizeof reply)) return 0;
  return reply[1] >= kRevisionRegisterThreshold ? 1 : 0;
}
