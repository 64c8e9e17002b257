// tq214 update --all: every attached TBR640 that is not up to date, updated
// side by side, one thread each; the others listed with the reason they were
// left alone; a table at the end.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/RefusalReport.h"
#include "cli/enclosure/RowResult.h"
#include "cli/history/HistoryRecord.h"
#include "cli/text/DeviceText.h"
#include "cli/update/HeldReport.h"
#include "cli/update/ParallelUpdates.h"
#include "cli/update/ReconnectAdvice.h"
#include "cli/update/ResultTable.h"
#include "cli/update/UpdateEvents.h"
#include "cli/update/UpdatePlan.h"
#include "engine/WriteGuard.h"

namespace {

void ShowFound(CommandRun& run, const std::vector<ExaminedEnclosure>& found) {
  for (const ExaminedEnclosure& device : found) {
    const ResultRow& row = device.row;
    run.text() << EscapeControlBytes(row.name) << "  "
               << (device.toUpdate ? ResultText(RowResult::kUpdateNeeded) : ResultLine(row))
               << '\n';
  }
}

// No TBR640 among the disks: none attached, or none this user may open.
int NoTbr640(CommandRun& run) {
  if (run.access.refused()) {
    return run.Fail(kExitFailure, run.host.ShownPath(run.access.path()) + ": " +
                                      run.host.AccessAdvice(run.access.code()));
  }
  return run.Fail(kExitNoDevice, "No available device !! No TBR640 enclosure found.");
}

// Updates `toUpdate` side by side, one thread each; their rows, and in
// `held` the stop requests held meanwhile.
std::vector<ResultRow> UpdateSideBySide(CommandRun& run,
                                        const std::vector<const ExaminedEnclosure*>& toUpdate,
                                        UpdateEvents* jsonLines, std::vector<std::string>* held) {
  MultiProgress progress(run.text(), run.textProgress(), run.env.outIsTerminal && !run.jsonMode(),
                         run.env.columns);
  ParallelUpdates updates(progress, run.env.hold, run.env.seconds, run.env.err);
  if (run.args.trace) updates.SetTrace(&run.env.err);
  updates.SetJsonLines(jsonLines);
  for (const ExaminedEnclosure* device : toUpdate) updates.Start(*device);
  updates.WaitAll();
  std::vector<ResultRow> rows = updates.Collect();
  *held = updates.held();
  return rows;
}

// The table of every enclosure's result, each recorded, the advice to
// reconnect each that passed; the exit code of them all.
int ReportRows(CommandRun& run, const std::vector<ResultRow>& rows,
               const std::vector<std::string>& held) {
  run.text() << '\n' << ResultTableText(rows);
  WriteResultRows(run.json, rows, run.host.placesKey());
  for (const ResultRow& row : rows) Record(run, row);
  ReportHeld(run, held);
  for (const ResultRow& row : rows) {
    if (row.result != RowResult::kPass) continue;
    run.text() << EscapeControlBytes(row.name) << ": " << ReconnectAdvice(run.host, row.places)
               << '\n';
  }
  const int code = ResultsExitCode(rows);
  return code == kExitSuccess ? code
                              : run.Fail(code, "not every enclosure ended PASS or up to date");
}

}  // namespace

int RunUpdateAll(CommandRun& run) {
  // Each enclosure is probed and read under its lock, which its update takes
  // again on the thread that writes it.
  const std::vector<Candidate> candidates = FindCandidates(run.host, LockUse::kTake);
  if (const Candidate* unsafe = FirstLockProblem(candidates)) {
    return ReportLockProblem(run, unsafe->lock.problem);
  }
  std::vector<ExaminedEnclosure> found(candidates.size());
  std::transform(candidates.begin(), candidates.end(), found.begin(), ExamineUnderLock);
  std::vector<const ExaminedEnclosure*> toUpdate;
  bool anyTbr640 = false;
  for (const ExaminedEnclosure& device : found) {
    anyTbr640 = anyTbr640 || MayBeTbr640(device.candidate);
    if (device.toUpdate) toUpdate.push_back(&device);
  }
  if (!anyTbr640) return NoTbr640(run);
  ShowFound(run, found);
  const std::unique_ptr<UpdateEvents> jsonLines = JsonLinesOf(run);
  for (const ExaminedEnclosure& device : found) {
    if (jsonLines && !device.toUpdate) jsonLines->Ended(device.row);
  }

  if (!toUpdate.empty()) {
    if (const Refusal* refusal = FirmwareWriteRefusal()) {
      return ReportRefusal(run, kExitFailure, "", *refusal);
    }
    ShowPlanFor(run, toUpdate.size());
    if (!run.args.yes && !Confirmed(run)) {
      run.text() << "Nothing done.\n";
      return kExitDeclined;
    }
  }

  std::vector<std::string> held;
  std::vector<ResultRow> rows = UpdateSideBySide(run, toUpdate, jsonLines.get(), &held);
  for (const ExaminedEnclosure& device : found) {
    if (!device.toUpdate) rows.push_back(device.row);
  }
  return ReportRows(run, rows, held);
}
