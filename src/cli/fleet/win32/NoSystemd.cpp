// Windows has neither a journal nor a service manager that tq214 talks to.

#include "cli/fleet/ServiceManager.h"
#include "cli/fleet/SystemJournal.h"

SystemJournal* SystemJournalOfPlatform() {
  return nullptr;
}

ServiceManager* ServiceManagerOfPlatform() {
  return nullptr;
}
