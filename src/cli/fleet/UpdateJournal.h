#pragma once
// Each update attempt in the system journal: one entry per enclosure and
// attempt, as the history has it, and one per confirmation after the
// enclosure was reconnected, for the log collectors of a fleet. MESSAGE is
// one readable line; MESSAGE_ID and PRIORITY those of its outcome
// (Outcomes.def), which packaging/tq214.catalog.in explains; and TQ_OUTCOME,
// TQ_RESULT, TQ_SERIAL, TQ_DEVICE, TQ_PORT, TQ_FIRMWARE_BEFORE,
// TQ_FIRMWARE_AFTER, TQ_IMAGE_SHA, TQ_REASON, TQ_SENSE, TQ_TOOL_VERSION,
// TQ_DURATION_MS, each present, empty when not known.

#include <ostream>
#include <string>
#include <vector>

#include "cli/fleet/Outcomes.h"
#include "cli/fleet/SystemJournal.h"
#include "cli/history/HistoryEntry.h"

// What an entry says beyond the history's line.
struct JournalFacts {
  Outcome outcome = Outcome::kSkipped;
  std::string port;   // the USB port it was plugged into; "" when not known
  std::string sense;  // after FAIL: what the device said, decoded
};

// The fields of `entry`'s journal entry, each "NAME=value".
std::vector<std::string> JournalFields(const HistoryEntry& entry, const JournalFacts& facts);

class UpdateJournal {
 public:
  // `journal`: null when this run logs nothing there. `trace`: where --trace
  // says, once, that an entry did not reach the journal; null without it.
  UpdateJournal(SystemJournal* journal, std::ostream* trace) : journal_(journal), trace_(trace) {}

  void Log(const HistoryEntry& entry, const JournalFacts& facts);

 private:
  SystemJournal* journal_;
  std::ostream* trace_;
  bool said_ = false;
};
