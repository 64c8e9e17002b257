#include "IDEAccess/PassThroughRecord.h"

namespace ptr {

uint16_t Get16(const uint8_t* record, size_t offset) {
  return static_cast<uint16_t>(record[offset] | (record[offset + 1] << 8));
}

uint32_t Get32(const uint8_t* record, size_t offset) {
  return static_cast<uint32_t>(record[offset]) | (static_cast<uint32_t>(record[offset + 1]) << 8) |
         (static_cast<uint32_t>(record[offset + 2]) << 16) |
         (static_cast<uint32_t>(record[offset + 3]) << 24);
}

void Put16(uint8_t* record, size_t offset, uint16_t value) {
  record[offset] = static_cast<uint8_t>(value);
  record[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* record, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace ptr
