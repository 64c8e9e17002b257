#pragma once
// What a device says when it refuses a command: its sense data, decoded to
// the sense key, additional sense code and qualifier and their standard
// names. A failed buffer command keeps what it learned (the failed command's
// own sense, which the system may fetch by itself, else the REQUEST SENSE
// reply that follows it) for the thread that sent it, so that a front end can
// say why an update failed.

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

// The sense of the last buffer command that failed in this thread, since
// ClearFailureSense.
void NoteFailureSense(const SenseData& sense);
SenseData LastFailureSense();
void ClearFailureSense();
