// tq214 as a process, Linux's part: its environment's variables are bytes,
// taken as UTF-8.

#include "cli/host/ProcessSetup.h"

#include <cstdlib>
#include <string>

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}
