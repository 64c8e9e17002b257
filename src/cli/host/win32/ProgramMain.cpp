// tq214's entry on Windows: the arguments arrive as UTF-16 (wmain, built with
// -municode), so that a path in any folder arrives whole, not through the
// ANSI code page.

#include <string>
#include <vector>

#include "cli/host/ProcessSetup.h"
#include "platform/DllSearch.h"
#include "platform/win32/Win32Text.h"

int wmain(int argc, wchar_t** argv) {
  LoadDllsFromSystemFolderOnly();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8FromWide(argv[i]));
  return RunProcess(args);
}
