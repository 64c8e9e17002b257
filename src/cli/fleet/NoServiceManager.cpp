// No service manager that tq214 talks to: Windows has none, and a Linux build
// without libsystemd talks to none.

#include "cli/fleet/ServiceManager.h"

ServiceManager* ServiceManagerOfPlatform(const std::string&) {
  return nullptr;
}
