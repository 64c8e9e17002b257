#include "cli/output/PumpStreamBuf.h"

#include <utility>

void PumpStreamBuf::Show(const std::string& key, const std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  PostOwn();
  pump_.Progress(stream_, key, text);
}

void PumpStreamBuf::PostAll() {
  std::lock_guard<std::mutex> guard(lock_);
  for (auto& begun : partial_) pump_.Post(stream_, std::move(begun.second));
  partial_.clear();
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
  PostOwn();
  return 0;
}

void PumpStreamBuf::PostOwn() {
  const auto own = partial_.find(std::this_thread::get_id());
  if (own == partial_.end()) return;
  pump_.Post(stream_, std::move(own->second));
  partial_.erase(own);
}

// Everything up to the last line end goes to the pump with what the thread
// began before; the rest waits for its line's end or a flush.
void PumpStreamBuf::Take(const char* text, size_t size) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::string chunk(text, size);
  const size_t end = chunk.rfind('\n');
  if (end == std::string::npos) {
    partial_[std::this_thread::get_id()] += chunk;
    return;
  }
  const auto own = partial_.find(std::this_thread::get_id());
  std::string line = own == partial_.end() ? std::string() : std::move(own->second);
  if (own != partial_.end()) partial_.erase(own);
  line.append(chunk, 0, end + 1);
  pump_.Post(stream_, std::move(line));
  if (end + 1 < size) partial_[std::this_thread::get_id()] = chunk.substr(end + 1);
}
