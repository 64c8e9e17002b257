#include "cli/text/Utf8Text.h"

size_t Utf8Character(const std::string& text, size_t at, uint32_t* codePoint) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  // The length the lead byte announces, its bits, and the smallest code
  // point of that length (anything less is an overlong form).
  size_t length = 0;
  uint32_t value = 0;
  uint32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1Fu;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0Fu;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07u;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}
