#include "IDEAccess/PassThroughRecord.h"

#include "IDEAccess/ByteOrder.h"

namespace ptr {

uint16_t Get16(const uint8_t* record, size_t offset) {
  return static_cast<uint16_t>(record[offset] | (record[offset + 1] << 8));
}

uint32_t Get32(const uint8_t* record, size_t offset) {
  return GetLe32(record + offset);
}

void Put16(uint8_t* record, size_t offset, uint16_t value) {
  record[offset] = static_cast<uint8_t>(value);
  record[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* record, size_t offset, uint32_t value) {
  PutLe32(record + offset, value);
}

}  // namespace ptr
