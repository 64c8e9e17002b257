// tq214 info: the five identity lines of the enclosure and the verdict.

#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/ChosenEnclosure.h"
#include "engine/Refusals.h"

int RunInfo(CommandRun& run) {
  ChosenEnclosure enclosure;
  const int code = ChooseAndRead(run, &enclosure);
  if (code != kExitSuccess) return code;
  ShowIdentity(run, enclosure);
  run.text() << "Verdict: " << VerdictText(enclosure.verdict);
  if (enclosure.verdict == Verdict::kNewer) {
    run.text() << " (" << RefusalSentence(kNewerFirmwareRefusal, 0, enclosure.version()) << ")";
  }
  run.text() << '\n';
  return kExitSuccess;
}
