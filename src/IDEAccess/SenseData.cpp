#include "IDEAccess/SenseData.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

// Fixed format: the key in byte 2, the codes in bytes 12 and 13.
constexpr size_t kFixedKey = 2;
constexpr size_t kFixedAsc = 12;
constexpr size_t kFixedAscq = 13;
constexpr size_t kFixedMinimum = 14;
// Descriptor format: key, code and qualifier in bytes 1 to 3.
constexpr size_t kDescriptorMinimum = 4;
constexpr uint8_t kResponseCodeMask = 0x7F;
constexpr uint8_t kKeyMask = 0x0F;

struct CodeName {
  uint8_t asc;
  uint8_t ascq;
  const char* name;
};

// The codes a bridge or a disk behind it may give.
constexpr CodeName kCodeNames[] = {
    {0x00, 0x00, "NO ADDITIONAL SENSE INFORMATION"},
    {0x04, 0x00, "LOGICAL UNIT NOT READY, CAUSE NOT REPORTABLE"},
    {0x04, 0x01, "LOGICAL UNIT IS IN PROCESS OF BECOMING READY"},
    {0x04, 0x02, "LOGICAL UNIT NOT READY, INITIALIZING COMMAND REQUIRED"},
    {0x08, 0x00, "LOGICAL UNIT COMMUNICATION FAILURE"},
    {0x0C, 0x00, "WRITE ERROR"},
    {0x11, 0x00, "UNRECOVERED READ ERROR"},
    {0x1A, 0x00, "PARAMETER LIST LENGTH ERROR"},
    {0x20, 0x00, "INVALID COMMAND OPERATION CODE"},
    {0x21, 0x00, "LOGICAL BLOCK ADDRESS OUT OF RANGE"},
    {0x24, 0x00, "INVALID FIELD IN CDB"},
    {0x25, 0x00, "LOGICAL UNIT NOT SUPPORTED"},
    {0x26, 0x00, "INVALID FIELD IN PARAMETER LIST"},
    {0x27, 0x00, "WRITE PROTECTED"},
    {0x28, 0x00, "NOT READY TO READY CHANGE, MEDIUM MAY HAVE CHANGED"},
    {0x29, 0x00, "POWER ON, RESET, OR BUS DEVICE RESET OCCURRED"},
    {0x2C, 0x00, "COMMAND SEQUENCE ERROR"},
    {0x3A, 0x00, "MEDIUM NOT PRESENT"},
    {0x3F, 0x01, "MICROCODE HAS BEEN CHANGED"},
    {0x44, 0x00, "INTERNAL TARGET FAILURE"},
    {0x47, 0x00, "SCSI PARITY ERROR"},
    {0x4B, 0x00, "DATA PHASE ERROR"},
};

constexpr const char* kKeyNames[] = {
    "NO SENSE",        "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
    "HARDWARE ERROR",  "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
    "BLANK CHECK",     "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
    "RESERVED (0x0C)", "VOLUME OVERFLOW", "MISCOMPARE",     "COMPLETED",
};
static_assert(sizeof kKeyNames / sizeof kKeyNames[0] == kKeyMask + 1, "a name for each key");

thread_local SenseData tLastFailure;

}  // namespace

SenseData DecodeSense(const uint8_t* bytes, size_t length) {
  SenseData sense;
  if (bytes == nullptr || length == 0) return sense;
  const uint8_t response = bytes[0] & kResponseCodeMask;
  if ((response == 0x70 || response == 0x71) && length >= kFixedMinimum) {
    sense.present = true;
    sense.key = bytes[kFixedKey] & kKeyMask;
    sense.asc = bytes[kFixedAsc];
    sense.ascq = bytes[kFixedAscq];
  } else if ((response == 0x72 || response == 0x73) && length >= kDescriptorMinimum) {
    sense.present = true;
    sense.key = bytes[1] & kKeyMask;
    sense.asc = bytes[2];
    sense.ascq = bytes[3];
  }
  return sense;
}

const char* SenseKeyName(uint8_t key) {
  return kKeyNames[key & kKeyMask];
}

std::string SenseText(const SenseData& sense) {
  if (!sense.present) return "";
  std::string text = SenseKeyName(sense.key);
  const auto named = std::find_if(
      std::begin(kCodeNames), std::end(kCodeNames),
      [&sense](const CodeName& code) { return code.asc == sense.asc && code.ascq == sense.ascq; });
  if (named != std::end(kCodeNames)) return text + ", " + named->name;
  char codes[40];
  std::snprintf(codes, sizeof codes, ", ASC 0x%02x, ASCQ 0x%02x", sense.asc, sense.ascq);
  return text + codes;
}

void NoteFailureSense(const SenseData& sense) {
  tLastFailure = sense;
}

SenseData LastFailureSense() {
  return tLastFailure;
}

void ClearFailureSense() {
  tLastFailure = SenseData{};
}
