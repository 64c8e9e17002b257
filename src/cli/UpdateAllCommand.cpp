// tq214 update --all: every attached TBR640 that is not up to date, updated
// side by side, one thread each; the others listed with the reason they were
// left alone; a table at the end.

#include <algorithm>
#include <string>
#include <vector>

#include "Tessaloft_main/WriteGuard.h"
#include "cli/Commands.h"
#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"
#include "cli/HeldReport.h"
#include "cli/ParallelUpdates.h"
#include "cli/ResultTable.h"
#include "cli/UpdatePlan.h"

namespace {

void ShowFound(CliSession& session, const std::vector<StationDevice>& found) {
  for (const StationDevice& device : found) {
    const StationRow& row = device.row;
    session.text() << row.device << "  "
                   << (device.toUpdate      ? "update needed"
                       : row.reason.empty() ? row.result
                                            : row.result + ": " + row.reason)
                   << '\n';
  }
}

}  // namespace

int RunUpdateAll(CliSession& session) {
  const std::vector<Candidate> candidates = FindCandidates(session.host);
  std::vector<StationDevice> found(candidates.size());
  std::transform(candidates.begin(), candidates.end(), found.begin(), Examine);
  std::vector<const StationDevice*> toUpdate;
  bool anyTbr640 = false;
  for (const StationDevice& device : found) {
    anyTbr640 = anyTbr640 || IsTbr640(device.candidate);
    if (device.toUpdate) toUpdate.push_back(&device);
  }
  if (!anyTbr640) {
    if (session.access.refused()) {
      return session.Fail(kExitFailure, session.host.ShownPath(session.access.path()) + ": " +
                                            session.host.AccessAdvice(session.access.code()));
    }
    return session.Fail(kExitNoDevice, "No available device !! No TBR640 enclosure found.");
  }
  ShowFound(session, found);

  if (!toUpdate.empty()) {
    if (const char* refusal = FirmwareWriteRefusal()) {
      session.json.Member("refusal", "stand-in-image");
      return session.Fail(kExitFailure, std::string(refusal) + StandInAdvice());
    }
    ShowPlanFor(session, toUpdate.size());
    if (!session.args.yes && !Confirmed(session)) {
      session.text() << "Nothing done.\n";
      return kExitDeclined;
    }
  }

  std::vector<StationRow> rows;
  std::vector<std::string> held;
  {
    MultiProgress progress(session.text(), session.env.outIsTerminal && !session.jsonMode());
    ParallelUpdates updates(progress, session.env.hold, session.env.seconds);
    for (const StationDevice* device : toUpdate) updates.Start(*device);
    updates.WaitAll();
    rows = updates.Collect();
    held = updates.held();
  }
  for (const StationDevice& device : found) {
    if (!device.toUpdate) rows.push_back(device.row);
  }

  session.text() << '\n' << SummaryTable(rows, session.host.placesLabel());
  WriteRows(session.json, rows, session.host.placesKey());
  ReportHeld(session, held);
  const int code = StationExitCode(rows);
  if (code == kExitSuccess && !toUpdate.empty()) {
    session.text() << "Reconnect each updated enclosure to start its new firmware.\n";
  }
  return code == kExitSuccess ? code
                              : session.Fail(code, "not every enclosure ended PASS or up to date");
}
