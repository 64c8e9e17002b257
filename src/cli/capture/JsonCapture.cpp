#include "cli/capture/JsonCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
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

// A name no other capture has: the test that made it, and a count.
std::string FreshName(const char* suffix) {
  static std::atomic<unsigned> count{0};
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test == nullptr ? std::string("no-test")
                                     : std::string(test->test_suite_name()) + "." + test->name();
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.'; }, '_');
  return name + "-" + std::to_string(++count) + suffix;
}

void Write(const std::string& folder, const char* suffix, const std::string& text) {
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  std::ofstream(fs::path(folder) / FreshName(suffix), std::ios::binary) << text;
}

}  // namespace

JsonCapture::JsonCapture(const std::vector<std::string>& args,
                         const std::vector<std::string>& histories) {
  const char* folder = std::getenv("TQ214_JSON_CAPTURE_DIR");
  if (folder == nullptr || *folder == '\0') return;
  folder_ = folder;
  json_ = std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg == "--json" || arg.rfind("--json=", 0) == 0;
  });
  for (const std::string& file : histories) {
    if (!file.empty()) histories_.emplace_back(file, RegularSize(file));
  }
}

void JsonCapture::Keep(const std::string& out) const {
  if (folder_.empty()) return;
  if (json_ && !out.empty()) Write(folder_, ".stdout.jsonl", out);
  for (const auto& [file, before] : histories_) {
    if (RegularSize(file) <= before) continue;
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(before));
    const std::string appended{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    Write(folder_, ".history.jsonl", appended);
  }
}
