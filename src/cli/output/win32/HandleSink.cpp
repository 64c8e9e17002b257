#include "cli/output/win32/HandleSink.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "cli/output/HandleSink.h"

namespace {

// WriteConsoleW takes no more than about this many characters at once.
constexpr size_t kConsoleChunk = 8192;

class WindowsSink final : public OutputSink {
 public:
  explicit WindowsSink(HANDLE handle) : handle_(handle) {
    DWORD mode = 0;
    console_ = GetConsoleMode(handle_, &mode) != 0;
  }

  bool Write(const std::string& text) override {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
      if (c == '\n') lines += '\r';
      lines += c;
    }
    std::wstring wide;
    if (console_ && Utf16(lines, &wide)) return ToConsole(wide);
    return WriteBytes(lines);
  }

 private:
  // `text` as UTF-16; false when it is not UTF-8 (then it goes out as bytes,
  // in the console's code page).
  static bool Utf16(const std::string& text, std::wstring* wide) {
    const int size = static_cast<int>(text.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return false;
    wide->resize(static_cast<size_t>(length));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &(*wide)[0],
                               length) == length;
  }

  bool ToConsole(const std::wstring& text) {
    for (size_t done = 0; done < text.size();) {
      const DWORD size = static_cast<DWORD>(ConsolePiece(text, done));
      DWORD written = 0;
      if (!WriteConsoleW(handle_, text.data() + done, size, &written, nullptr) || written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  // Nothing more comes: a pipe's reader is shown its end, unless the other
  // output is the same handle.
  void Close() override {
    if (GetStdHandle(STD_OUTPUT_HANDLE) == GetStdHandle(STD_ERROR_HANDLE)) return;
    if (GetFileType(handle_) == FILE_TYPE_PIPE) CloseHandle(handle_);
  }

  bool WriteBytes(const std::string& text) {
    for (size_t done = 0; done < text.size();) {
      DWORD written = 0;
      if (!WriteFile(handle_, text.data() + done, static_cast<DWORD>(text.size() - done), &written,
                     nullptr) ||
          written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  HANDLE handle_;
  bool console_ = false;
};

}  // namespace

size_t ConsolePiece(const std::wstring& text, size_t at) {
  const size_t size = std::min(kConsoleChunk, text.size() - at);
  // A piece never ends between the two halves of a surrogate pair: the
  // console would show each half as a character of its own.
  const bool splitsAPair = size > 1 && at + size < text.size() && text[at + size - 1] >= 0xD800 &&
                           text[at + size - 1] <= 0xDBFF;
  return splitsAPair ? size - 1 : size;
}

std::unique_ptr<OutputSink> MakeHandleSink(void* handle) {
  return std::make_unique<WindowsSink>(static_cast<HANDLE>(handle));
}

std::unique_ptr<OutputSink> MakeStandardSink(OutputPump::Stream stream) {
  return MakeHandleSink(
      GetStdHandle(stream == OutputPump::kErr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE));
}
