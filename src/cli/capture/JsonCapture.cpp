#include "cli/capture/JsonCapture.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// The size of `file` when it is a regular file, else 0.
uintmax_t RegularSize(const std::string& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return 0;
  const uintmax_t size = fs::file_size(file, error);
  return error ? 0 : size;
}

// Writes `text` to a file of `folder` that did not exist, NAME-COUNT.SUFFIX:
// runs in other processes keep theirs beside it at the same time.
void Write(const std::string& folder, const std::string& name, const char* suffix,
           const std::string& text) {
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  for (unsigned count = 1; count < 100000; ++count) {
    const fs::path file = fs::path(folder) / (name + "-" + std::to_string(count) + suffix);
    // "x": created here, never an existing file opened.
    std::FILE* out = std::fopen(file.string().c_str(), "wbx");
    if (out == nullptr && errno == EEXIST) continue;
    if (out == nullptr) return;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return;
  }
}

}  // namespace

JsonCapture::JsonCapture(const std::string& folder, const std::vector<std::string>& args,
                         const std::vector<std::string>& histories, std::string name)
    : name_(std::move(name)) {
  if (folder.empty()) return;
  folder_ = folder;
  std::replace_if(
      name_.begin(), name_.end(),
      [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.'; }, '_');
  json_ = std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg == "--json" || arg.rfind("--json=", 0) == 0;
  });
  for (const std::string& file : histories) {
    if (!file.empty()) histories_.emplace_back(file, RegularSize(file));
  }
}

void JsonCapture::Keep(const std::string& out) const {
  if (folder_.empty()) return;
  if (json_ && !out.empty()) Write(folder_, name_, ".stdout.jsonl", out);
  for (const auto& [file, before] : histories_) {
    if (RegularSize(file) <= before) continue;
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(before));
    const std::string appended{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    Write(folder_, name_, ".history.jsonl", appended);
  }
}
