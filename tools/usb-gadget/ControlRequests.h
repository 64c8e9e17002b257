#pragma once
// The class requests of the Bulk-Only Transport that reach the function on
// ep0: GET MAX LUN (answered with 0, the only logical unit) and Bulk-Only Mass
// Storage Reset (acknowledged; the session starts over). Any other request is
// stalled.

#include <cstddef>
#include <cstdint>

// A SETUP packet's fields (8 bytes, little-endian words).
namespace setup {
constexpr size_t kRequestType = 0;
constexpr size_t kRequest = 1;
constexpr size_t kValue = 2;
constexpr size_t kIndex = 4;
constexpr size_t kLength = 6;
constexpr size_t kSize = 8;
constexpr uint8_t kTypeClassInterfaceIn = 0xA1;
constexpr uint8_t kTypeClassInterfaceOut = 0x21;
constexpr uint8_t kGetMaxLun = 0xFE;
constexpr uint8_t kBulkOnlyReset = 0xFF;
}  // namespace setup

struct SetupPacket {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;
};

SetupPacket ParseSetup(const uint8_t* bytes);

enum class ControlAnswer : uint8_t {
  kMaxLun,  // send one byte: the highest LUN
  kReset,   // start the session over, then acknowledge
  kStall,
};

// `interfaceNumber` is the function's interface as the request addresses it.
ControlAnswer AnswerControl(const SetupPacket& request, uint16_t interfaceNumber);
