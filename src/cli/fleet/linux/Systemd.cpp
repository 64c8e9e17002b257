// systemd's journal and service manager, through libsystemd. A build without
// the library (the static programs of the USB harness) has neither: CMake
// takes linux/NoJournal.cpp and NoServiceManager.cpp in its place.

#include "cli/fleet/ServiceManager.h"
#include "cli/fleet/SystemJournal.h"
#include "cli/fleet/linux/NotifySocket.h"

// The entries carry no CODE_FILE, CODE_LINE, CODE_FUNC: the place in the
// source says nothing to the reader of the journal.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <sys/stat.h>
#include <sys/uio.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr char kJournalSocket[] = "/run/systemd/journal/socket";

class Journal final : public SystemJournal {
 public:
  bool Send(const std::vector<std::string>& fields, std::string* failure) override {
    // The library drops an entry without a word when no journal listens.
    struct stat socket {};
    if (stat(kJournalSocket, &socket) != 0 || !S_ISSOCK(socket.st_mode)) {
      *failure = std::string("no journal listens on ") + kJournalSocket;
      return false;
    }
    std::vector<iovec> parts(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
      // The library only reads them.
      parts[i].iov_base = const_cast<char*>(fields[i].data());
      parts[i].iov_len = fields[i].size();
    }
    const int result = sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
    if (result >= 0) return true;
    *failure = std::strerror(-result);
    return false;
  }
};

class Manager final : public ServiceManager {
 public:
  explicit Manager(std::string socketName) : socketName_(std::move(socketName)) {}
  // Not sd_notify, whose send waits while the manager's queue is full.
  bool Notify(const std::string& state) override { return SendNotice(socketName_, state); }
  uint64_t WatchdogMicroseconds() const override {
    uint64_t microseconds = 0;
    return sd_watchdog_enabled(0, &microseconds) > 0 ? microseconds : 0;
  }

 private:
  const std::string socketName_;
};

}  // namespace

SystemJournal* SystemJournalOfPlatform() {
  static Journal journal;
  return &journal;
}

ServiceManager* ServiceManagerOfPlatform(const std::string& notifySocket) {
  static Manager manager(notifySocket);
  return &manager;
}
