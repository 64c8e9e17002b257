#include "cli/output/PumpStreamBuf.h"

#include <utility>

void PumpStreamBuf::Progress(const std::string& key, std::string text) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!partial_.empty()) pump_.Post(stream_, std::exchange(partial_, {}));
  pump_.Progress(stream_, key, std::move(text));
}

PumpStreamBuf::int_type PumpStreamBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char character = traits_type::to_char_type(c);
  Take(&character, 1);
  return c;
}

std::streamsize PumpStreamBuf::xsputn(const char* text, std::streamsize size) {
  if (size > 0) Take(text, static_cast<size_t>(size));
  return size;
}

int PumpStreamBuf::sync() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!partial_.empty()) pump_.Post(stream_, std::exchange(partial_, {}));
  return 0;
}

// Everything up to the last line end goes to the pump; the rest waits for
// its line's end or a flush.
void PumpStreamBuf::Take(const char* text, size_t size) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::string chunk(text, size);
  const size_t end = chunk.rfind('\n');
  if (end == std::string::npos) {
    partial_ += chunk;
    return;
  }
  partial_.append(chunk, 0, end + 1);
  pump_.Post(stream_, std::exchange(partial_, chunk.substr(end + 1)));
}

void ShowProgress(std::ostream& out, const std::string& key, const std::string& text) {
  if (auto* pumped = dynamic_cast<PumpStreamBuf*>(out.rdbuf())) {
    pumped->Progress(key, text);
    return;
  }
  out << text << std::flush;
}
