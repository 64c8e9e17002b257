// tq214's entry on Linux: the arguments are bytes, taken as UTF-8.

#include <string>
#include <vector>

#include "cli/host/ProcessSetup.h"
#include "platform/DllSearch.h"

int main(int argc, char** argv) {
  LoadDllsFromSystemFolderOnly();
  return RunProcess(std::vector<std::string>(argv + 1, argv + argc));
}
