#include "cli/text/DeviceText.h"

#include <algorithm>

#include "cli/text/Utf8Text.h"

namespace {

void AppendEscaped(std::string& shown, unsigned char byte) {
  static const char kDigits[] = "0123456789abcdef";
  shown += "\\x";
  shown += kDigits[byte >> 4];
  shown += kDigits[byte & 0x0F];
}

// Characters beyond ASCII that still steer the terminal rather than show:
// the C1 controls, the line and paragraph separators, and the marks that
// reorder a line for the eye (a path could show as another).
bool Steers(uint32_t c) {
  return c <= 0x9F || c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

// `characters`: well-formed UTF-8 beyond ASCII is shown as it is, unless it
// steers the terminal; without, every byte beyond ASCII is escaped.
std::string Escape(const std::string& text, bool backslash, bool characters) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    uint32_t code = 0;
    const size_t length = characters && byte >= 0x80 ? Utf8Character(text, at, &code) : 0;
    const size_t taken = std::max<size_t>(length, 1);
    if (byte == '\\' && backslash) {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown += text[at];
    } else if (length > 0 && !Steers(code)) {
      shown.append(text, at, length);
    } else {
      for (size_t i = 0; i < taken; ++i) {
        AppendEscaped(shown, static_cast<unsigned char>(text[at + i]));
      }
    }
    at += taken;
  }
  return shown;
}

}  // namespace

std::string EscapeDeviceText(const std::string& text) {
  return Escape(text, true, false);
}

std::string EscapeControlBytes(const std::string& text) {
  return Escape(text, false, true);
}
