#include "cli/DeviceText.h"

namespace {

std::string Escape(const std::string& text, bool backslash) {
  static const char kDigits[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\' && backslash) {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 0x0F];
    }
  }
  return shown;
}

}  // namespace

std::string EscapeDeviceText(const std::string& text) {
  return Escape(text, true);
}

std::string EscapeControlBytes(const std::string& text) {
  return Escape(text, false);
}
