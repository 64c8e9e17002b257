#pragma once
// The update history on disk: a file of one JSON object per line
// (HistoryEntry), appended to, each line written whole and flushed, so that a
// crash midway loses nothing already written. A file that cannot be written
// (also one that is no regular file) gives one warning and never stops an
// update; one that another user placed or could change on the way
// (UnsafeToWrite) stops a run before it starts. Safe from several threads.

#include <cstddef>
#include <functional>
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
  // One line naming the file and why another user could have a say in what
  // it is; "" when nobody could.
  std::string Unsafe() const;
  void Append(const HistoryEntry& entry);

 private:
  std::string path_;
  std::ostream& warnings_;
  std::mutex lock_;
  bool warned_ = false;
};

// The longest line read: tq214 writes lines of a few hundred bytes. A longer
// one is damaged, skipped without being held whole.
constexpr size_t kMaxHistoryLineBytes = size_t{64} * 1024;

struct DamagedLine {
  size_t line;         // from 1
  std::string reason;  // "not a JSON object"
};

struct HistoryRead {
  bool found = false;  // the file exists
  std::string error;   // it is no regular file, or could not be read: why
  std::vector<HistoryEntry> entries;
  std::vector<DamagedLine> damaged;
};

// The history as it is read, a line at a time: each entry with its line's
// number, oldest first (confirmations are entries of their own), and each
// damaged line. Nothing but the line being read is held. The file must be a
// regular one (never a FIFO, a device, a directory), and is opened without
// waiting for one; `found` and `error` of the answer are set, never more.
using HistoryEntryTaker = std::function<void(size_t line, HistoryEntry&& entry)>;
using DamagedLineTaker = std::function<void(DamagedLine&& damaged)>;
// With `mustHold`, a line without that text is passed over unread.
HistoryRead ScanHistory(const std::string& path, const HistoryEntryTaker& takeEntry,
                        const DamagedLineTaker& takeDamaged, const char* mustHold = nullptr);
// Every entry and damaged line, held.
HistoryRead ReadHistory(const std::string& path);
