// tq214 list: every disk behind a bridge, one line each.

#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/CandidateReport.h"
#include "cli/enclosure/Candidates.h"

int RunList(CommandRun& run) {
  const std::vector<Candidate> candidates = FindCandidates(run.host);
  run.json.Key("devices").BeginArray();
  for (const Candidate& candidate : candidates) {
    run.text() << CandidateLine(candidate, run.host) << '\n';
    WriteCandidate(run.json, candidate, run.host);
  }
  run.json.EndArray();

  if (run.access.refused()) {
    const std::string message =
        run.host.ShownPath(run.access.path()) + ": " + run.host.AccessAdvice(run.access.code());
    if (candidates.empty()) return run.Fail(kExitFailure, message);
    run.Note(message);
  }
  if (candidates.empty()) {
    return run.Fail(kExitNoDevice, "No available device !! No disk behind a bridge found.");
  }
  // A disk whose lock could not be held was not probed: why, once.
  if (const Candidate* unprobed = FirstLockProblem(candidates)) {
    return run.Fail(kExitFailure, unprobed->lock.problem + "; " + kNotProbedText);
  }
  return kExitSuccess;
}
