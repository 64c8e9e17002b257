// tq214 info: the five identity lines of the enclosure and the verdict.

#include "cli/Commands.h"
#include "cli/DeviceSession.h"
#include "cli/ExitCodes.h"

int RunInfo(CliSession& session) {
  ReadEnclosure enclosure;
  const int code = ChooseAndRead(session, &enclosure);
  if (code != kExitSuccess) return code;
  ShowIdentity(session, enclosure);
  session.text() << (enclosure.lines.upToDate ? "Verdict: up to date\n"
                                              : "Verdict: update needed\n");
  return kExitSuccess;
}
