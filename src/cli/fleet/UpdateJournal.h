#pragma once
// Each update attempt in the system journal: one entry per enclosure and
// attempt, as the history has it, for the log collectors of a fleet.
// MESSAGE is one readable line; PRIORITY info for PASS and up to date,
// warning for refused and skipped, err for FAIL; MESSAGE_ID one fixed id per
// kind (passed, failed, refused, skipped), which packaging/tq214.catalog
// explains; and TQ_RESULT, TQ_SERIAL, TQ_DEVICE,
// TQ_FIRMWARE_BEFORE, TQ_FIRMWARE_AFTER, TQ_IMAGE_SHA,
// TQ_REASON, each present, empty when not known. A confirmation after
// reconnecting (TQ_RESULT confirmed or unconfirmed) goes only to a journal
// that keeps them (Windows' event log).

#include <ostream>
#include <string>
#include <vector>

#include "cli/fleet/SystemJournal.h"
#include "cli/history/HistoryEntry.h"

// The fields of `entry`'s journal entry, each "NAME=value".
std::vector<std::string> JournalFields(const HistoryEntry& entry);

class UpdateJournal {
 public:
  // `journal`: null when this run logs nothing there. `trace`: where --trace
  // says, once, that an entry did not reach the journal; null without it.
  UpdateJournal(SystemJournal* journal, std::ostream* trace) : journal_(journal), trace_(trace) {}

  void Log(const HistoryEntry& entry);

 private:
  SystemJournal* journal_;
  std::ostream* trace_;
  bool said_ = false;
};
