#pragma once
// What a device says when it refuses a command: its sense data, decoded to
// the sense key, additional sense code and qualifier and their standard
// names. The thread that sent a command keeps what the device said when it
// failed (the command's own sense, which the system may fetch by itself; for
// a buffer command, else the REQUEST SENSE reply that follows it), so that a
// front end can say why an update failed; a command that goes through leaves
// nothing, so a failure never names an earlier command's sense.

#include <cstddef>
#include <cstdint>
#include <string>

struct SenseData {
  bool present = false;
  uint8_t key = 0;
  uint8_t asc = 0;
  uint8_t ascq = 0;
};

// Fixed (0x70, 0x71) or descriptor (0x72, 0x73) format; not present for
// anything else or too short.
SenseData DecodeSense(const uint8_t* bytes, size_t length);

// "ILLEGAL REQUEST, INVALID FIELD IN CDB"; codes without a name in hex
// ("ASC 0x5d, ASCQ 0x01").
std::string SenseText(const SenseData& sense);
// "NO SENSE", "NOT READY", ...
const char* SenseKeyName(uint8_t key);

// What the device said of the last command of this thread, when it failed;
// not present after one that went through, or since ClearFailureSense.
void NoteFailureSense(const SenseData& sense);
SenseData LastFailureSense();
void ClearFailureSense();
