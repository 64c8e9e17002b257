#include "platform/SystemDescription.h"

#include <sys/utsname.h>

std::string SystemDescription() {
  utsname names = {};
  if (uname(&names) != 0) return "Linux";
  return std::string(names.sysname) + " " + names.release + " " + names.machine;
}
