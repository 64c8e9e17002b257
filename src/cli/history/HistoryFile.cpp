#include "cli/history/HistoryFile.h"

#include <filesystem>
#include <fstream>

void HistoryFile::Append(const HistoryEntry& entry) {
  const std::string line = HistoryLine(entry) + "\n";
  std::lock_guard<std::mutex> guard(lock_);
  std::error_code ignored;
  const std::filesystem::path file(path_);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
  std::ofstream out(file, std::ios::app | std::ios::binary);
  out << line << std::flush;
  if (out || warned_) return;
  warned_ = true;
  warnings_ << "tq214: the update history " + path_ +
                   " cannot be written; the update goes on without it\n"
            << std::flush;
}

HistoryRead ReadHistory(const std::string& path) {
  HistoryRead read;
  std::ifstream in(path, std::ios::binary);
  if (!in) return read;
  read.found = true;
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    HistoryEntry entry;
    std::string error;
    if (ParseHistoryLine(line, &entry, &error)) {
      read.entries.push_back(std::move(entry));
    } else {
      read.damaged.push_back("line " + std::to_string(number) + ": " + error);
    }
  }
  return read;
}
