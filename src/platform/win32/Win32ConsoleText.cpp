#include "platform/win32/Win32ConsoleText.h"

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/win32/Win32Text.h"

namespace {

// The wide characters a console takes in one write on every version.
constexpr size_t kConsoleChunk = 8192;

// How much of `text` ends with whole UTF-8 characters: a character that
// the last write split stays behind for the next.
size_t WholeCharacters(const std::string& text) {
  for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // inside a character
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

// Unbuffered: each write reaches the console at once, as the progress bar's
// returns to the line's start need.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return Write(&byte, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* bytes, std::streamsize size) override {
    return Write(bytes, size) ? size : 0;
  }

 private:
  bool Write(const char* bytes, std::streamsize size) {
    pending_.append(bytes, static_cast<size_t>(size));
    const size_t whole = WholeCharacters(pending_);
    const std::wstring wide = WideFromUtf8(pending_.substr(0, whole));
    pending_.erase(0, whole);
    for (size_t at = 0; at < wide.size();) {
      size_t count = std::min(kConsoleChunk, wide.size() - at);
      // A pair of UTF-16 halves goes in one write.
      if (count < wide.size() - at && IS_HIGH_SURROGATE(wide[at + count - 1])) --count;
      DWORD written = 0;
      if (!WriteConsoleW(console_, wide.data() + at, static_cast<DWORD>(count), &written,
                         nullptr)) {
        return false;
      }
      at += count;
    }
    return true;
  }

  HANDLE console_;
  std::string pending_;
};

void Redirect(std::ostream& stream, DWORD which) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;
  stream.flush();
  // Never destroyed: the streams are flushed after every object of the
  // program's own has gone.
  stream.rdbuf(new ConsoleBuffer(handle));
}

}  // namespace

void WriteConsoleTextAsUtf16() {
  Redirect(std::cout, STD_OUTPUT_HANDLE);
  Redirect(std::cerr, STD_ERROR_HANDLE);
}
