// tq214 info: the five identity lines of the enclosure and the verdict.

#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/ChosenEnclosure.h"

int RunInfo(CommandRun& run) {
  ChosenEnclosure enclosure;
  const int code = ChooseAndRead(run, &enclosure);
  if (code != kExitSuccess) return code;
  ShowIdentity(run, enclosure);
  run.text() << (enclosure.lines.upToDate ? "Verdict: up to date\n" : "Verdict: update needed\n");
  return kExitSuccess;
}
