// Windows has no service manager that tq214 talks to; its journal is the
// event log (EventLogJournal.cpp).

#include "cli/fleet/ServiceManager.h"

ServiceManager* ServiceManagerOfPlatform() {
  return nullptr;
}
