#include "cli/history/HistoryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "cli/text/DeviceText.h"
#include "platform/RegularFile.h"

namespace {

constexpr size_t kChunkBytes = size_t{16} * 1024;

// Takes the file's lines as they come, each held to the bound: what goes
// past it is counted, never kept.
class LineReader {
 public:
  LineReader(const HistoryEntryTaker& takeEntry, const DamagedLineTaker& takeDamaged,
             const char* mustHold)
      : takeEntry_(takeEntry), takeDamaged_(takeDamaged), mustHold_(mustHold) {}

  void Feed(const char* bytes, size_t size) {
    while (size > 0) {
      const auto* end = static_cast<const char*>(std::memchr(bytes, '\n', size));
      const size_t length = end == nullptr ? size : static_cast<size_t>(end - bytes);
      const size_t kept = std::min(length, kMaxHistoryLineBytes - line_.size());
      line_.append(bytes, kept);
      tooLong_ = tooLong_ || kept < length;
      if (end == nullptr) return;
      Take();
      bytes = end + 1;
      size -= length + 1;
    }
  }
  void End() {
    if (!line_.empty() || tooLong_) Take();
  }

 private:
  void Take() {
    const size_t number = number_++;
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    HistoryEntry entry;
    std::string error;
    if (mustHold_ != nullptr && (tooLong_ || line_.find(mustHold_) == std::string::npos)) {
      // passed over
    } else if (tooLong_) {
      takeDamaged_({number, "longer than " + std::to_string(kMaxHistoryLineBytes) + " bytes"});
    } else if (!line_.empty() && ParseHistoryLine(line_, &entry, &error)) {
      takeEntry_(number, std::move(entry));
    } else if (!line_.empty()) {
      takeDamaged_({number, error});
    }
    line_.clear();
    tooLong_ = false;
  }

  const HistoryEntryTaker& takeEntry_;
  const DamagedLineTaker& takeDamaged_;
  const char* mustHold_;
  std::string line_;
  bool tooLong_ = false;
  size_t number_ = 1;
};

}  // namespace

std::string HistoryFile::Unsafe() const {
  const std::string why = UnsafeToWrite(path_);
  return why.empty() ? "" : "the update history " + path_ + " is not safe to write (" + why + ")";
}

void HistoryFile::Append(const HistoryEntry& entry) {
  const std::string line = HistoryLine(entry) + "\n";
  std::lock_guard<std::mutex> guard(lock_);
  // Its missing folders are made on the way (the default's under ~/.local).
  const OpenedFile opened = OpenRegularFile(path_, FileUse::kAppend, true);
  std::string error = opened.error;
  if (OwnedFile out{opened.file}) {
    // On the disk before the update's hold of stop requests ends.
    const bool written = std::fwrite(line.data(), 1, line.size(), out.get()) == line.size() &&
                         std::fflush(out.get()) == 0 && SyncToDisk(out.get());
    if (std::fclose(out.release()) != 0 || !written) error = std::strerror(errno);
  }
  if (error.empty() || warned_) return;
  warned_ = true;
  warnings_ << "tq214: "
            << EscapeControlBytes("the update history " + path_ + " cannot be written (" + error +
                                  "); the update goes on without it")
            << '\n'
            << std::flush;
}

HistoryRead ReadHistory(const std::string& path) {
  HistoryRead read;
  const HistoryRead scanned = ScanHistory(
      path, [&read](size_t, HistoryEntry&& entry) { read.entries.push_back(std::move(entry)); },
      [&read](DamagedLine&& damaged) { read.damaged.push_back(std::move(damaged)); });
  read.found = scanned.found;
  read.error = scanned.error;
  return read;
}

HistoryRead ScanHistory(const std::string& path, const HistoryEntryTaker& takeEntry,
                        const DamagedLineTaker& takeDamaged, const char* mustHold) {
  HistoryRead read;
  const OpenedFile opened = OpenRegularFile(path, FileUse::kRead);
  if (opened.file == nullptr) {
    if (!opened.missing) read.error = opened.error;
    return read;
  }
  const OwnedFile in(opened.file);
  read.found = true;
  LineReader lines(takeEntry, takeDamaged, mustHold);
  std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
  size_t got = 0;
  do {
    got = std::fread(chunk.get(), 1, kChunkBytes, in.get());
    lines.Feed(chunk.get(), got);
  } while (got == kChunkBytes);
  if (std::ferror(in.get())) {
    read.error = std::strerror(errno);
    return read;
  }
  lines.End();
  return read;
}
