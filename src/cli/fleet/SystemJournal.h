#pragma once
// The system's log, as the programs of a fleet read it: on Linux systemd's
// journal (linux/Systemd.cpp), on Windows the Application event log
// (win32/EventLogJournal.cpp).

#include <string>
#include <vector>

class SystemJournal {
 public:
  virtual ~SystemJournal() = default;
  // Sends one entry: its fields, each "NAME=value". False with `failure`
  // saying why when it did not reach the journal (none running here).
  virtual bool Send(const std::vector<std::string>& fields, std::string* failure) = 0;
};

// This system's journal; null where there is none to write to.
SystemJournal* SystemJournalOfPlatform();
