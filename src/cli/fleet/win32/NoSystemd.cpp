// Windows has no journal that tq214 writes to.

#include "cli/fleet/SystemJournal.h"

SystemJournal* SystemJournalOfPlatform() {
  return nullptr;
}
