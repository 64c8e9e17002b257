#pragma once
// The update history on disk: a file of one JSON object per line
// (HistoryEntry), appended to, each line written whole and flushed, so that a
// crash midway loses nothing already written. A file that cannot be written
// gives one warning and never stops an update. Safe from several threads.

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "cli/history/HistoryEntry.h"

class HistoryFile {
 public:
  // `warnings`: where the one warning goes.
  HistoryFile(std::string path, std::ostream& warnings)
      : path_(std::move(path)), warnings_(warnings) {}

  const std::string& path() const { return path_; }
  void Append(const HistoryEntry& entry);

 private:
  std::string path_;
  std::ostream& warnings_;
  std::mutex lock_;
  bool warned_ = false;
};

struct HistoryRead {
  bool found = false;  // the file exists and could be read
  std::vector<HistoryEntry> entries;
  std::vector<std::string> damaged;  // "line 12: not a JSON object"
};

// Every entry, oldest first; confirmations are entries of their own.
HistoryRead ReadHistory(const std::string& path);
