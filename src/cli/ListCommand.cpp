// tq214 list: every disk behind a bridge, one line each.

#include "cli/Candidates.h"
#include "cli/Commands.h"
#include "cli/DeviceReport.h"
#include "cli/ExitCodes.h"

int RunList(CliSession& session) {
  const std::vector<Candidate> candidates = FindCandidates(session.host);
  session.json.Key("devices").BeginArray();
  for (const Candidate& candidate : candidates) {
    session.text() << CandidateLine(candidate, session.host) << '\n';
    WriteCandidate(session.json, candidate, session.host);
  }
  session.json.EndArray();

  if (session.access.refused()) {
    const std::string message = session.host.ShownPath(session.access.path()) + ": " +
                                session.host.AccessAdvice(session.access.code());
    if (candidates.empty()) return session.Fail(kExitFailure, message);
    session.Note(message);
  }
  if (candidates.empty()) {
    return session.Fail(kExitNoDevice, "No available device !! No disk behind a bridge found.");
  }
  return kExitSuccess;
}
