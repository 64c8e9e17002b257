// A Linux build without libsystemd (the static programs of the USB harness)
// logs to no journal.

#include "cli/fleet/SystemJournal.h"

SystemJournal* SystemJournalOfPlatform() {
  return nullptr;
}
