// tq214 update: the window's update, on the command line. The enclosure must
// have passed the device-information run; the configuration block is
// rewritten only after a download that was read back equal.

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "cli/CommandRun.h"
#include "cli/DeviceText.h"
#include "cli/Enumeration.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/ChosenEnclosure.h"
#include "cli/enclosure/RefusalReport.h"
#include "cli/enclosure/RowResult.h"
#include "cli/history/HistoryRecord.h"
#include "cli/update/EnclosureUpdate.h"
#include "cli/update/HeldReport.h"
#include "cli/update/Progress.h"
#include "cli/update/Reconnect.h"
#include "cli/update/ReconnectAdvice.h"
#include "cli/update/UpdateEvents.h"
#include "cli/update/UpdateMonitor.h"
#include "cli/update/UpdatePlan.h"
#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"
#include "engine/FlushFileSystems.h"
#include "engine/WriteGuard.h"

namespace {

// The enclosure's file systems were flushed before the first write; a place
// that failed is said (the update went on).
void ReportUnflushed(CommandRun& run, const std::vector<FlushFailure>& unflushed) {
  run.json.Key("unflushed").BeginArray();
  for (const FlushFailure& failure : unflushed) {
    run.Note("could not flush " + EscapeDeviceText(failure.place) + " before the update (" +
             run.host.ErrorText(failure.error) + "); the update goes on");
    run.json.String(failure.place);
  }
  run.json.EndArray();
}

// --wait: the unit reconnected and read again. Its history entry is
// completed with what it runs now.
int Confirm(CommandRun& run, const Candidate& device, const ResultRow& updated,
            const std::string& updatedAt) {
  std::unique_ptr<DeviceEvents> deviceEvents = run.host.Events();
  if (!deviceEvents) {
    run.Note("the disks of this machine cannot come and go: nothing to wait for");
    return kExitSuccess;
  }
  const Unit unit{device.serial, device.port};
  if (!unit.known()) {
    run.Note(
        "the enclosure has no serial number and its USB port cannot be told: another "
        "enclosure could be taken for it, so it is not waited for; the PASS stands, "
        "unconfirmed");
    return kExitSuccess;
  }
  // Armed before the line that says so: a Ctrl+C right after it ends the
  // wait, not the program (WaitForReconnect disarms it).
  if (run.env.hold != nullptr) run.env.hold->SetRunEndsOnRequest(true);
  // The update's history line is written: the wait holds nothing (its
  // result comes at its end).
  run.RecordWritten();
  run.text() << "Waiting up to " << run.args.waitSeconds
             << " s for the enclosure to be reconnected (Ctrl+C ends the wait).\n"
             << std::flush;
  deviceEvents->SimulateReconnect(device.path);
  const Reconnected back = WaitForReconnect(run, *deviceEvents, unit, run.args.waitSeconds);

  HistoryEntry confirmation = EntryOf(updated);
  confirmation.kind = "confirmation";
  confirmation.updated = updatedAt;
  confirmation.firmwareAfter = back.found.row.firmwareBefore;
  const bool upToDate = back.found.row.result == RowResult::kUpToDate;
  confirmation.confirmed = back.outcome == ReconnectOutcome::kBack && upToDate;
  run.json.Key("confirmation")
      .BeginObject()
      .Member("confirmed", confirmation.confirmed)
      .Member("firmwareAfter", confirmation.firmwareAfter)
      .EndObject();
  if (back.outcome == ReconnectOutcome::kEnded) {
    run.Note("the wait was ended; the update's PASS stands, unconfirmed");
    return kExitSuccess;
  }
  if (run.history != nullptr) run.history->Append(confirmation);
  if (run.journal != nullptr) {
    run.journal->Log(
        confirmation,
        {confirmation.confirmed ? Outcome::kConfirmed : Outcome::kUnconfirmed, device.port, ""});
  }
  if (back.outcome == ReconnectOutcome::kTimedOut) {
    return run.Fail(kExitFailure, "the enclosure did not come back within " +
                                      std::to_string(run.args.waitSeconds) +
                                      " s; the update's PASS stands, unconfirmed");
  }
  if (confirmation.confirmed) {
    run.text() << "running " << confirmation.firmwareAfter << ", Up to date\n";
    return kExitSuccess;
  }
  const ResultRow& found = back.found.row;
  const std::string what =
      found.firmwareBefore.empty()
          ? std::string("it came back but could not be read")
          : "running " + found.firmwareBefore + ", " +
                (back.found.toUpdate ? ResultText(RowResult::kUpdateNeeded) : ResultLine(found));
  return run.Fail(kExitFailure, device.shown + ": " + what + "; the new firmware did not start");
}

std::unique_ptr<ProgressView> MakeView(CommandRun& run) {
  if (run.jsonMode()) return nullptr;
  if (run.env.outIsTerminal) {
    return std::make_unique<BarProgress>(run.env.out, run.outProgress(), run.env.seconds);
  }
  return std::make_unique<PlainProgress>(run.outProgress());
}

}  // namespace

int RunUpdate(CommandRun& run) {
  ChosenEnclosure enclosure;
  // Its lock is taken before its first command and held to the end.
  const int code = ChooseAndRead(run, &enclosure, LockUse::kTake);
  if (code != kExitSuccess && enclosure.device == nullptr) return code;
  // From here on each outcome is one entry of the history.
  ResultRow row = RowOf(*enclosure.device);
  std::string recordedAt;
  const std::unique_ptr<UpdateEvents> jsonLines = JsonLinesOf(run);
  const auto recorded = [&](RowResult result, const std::string& reason, int exit) {
    row.result = result;
    row.reason = reason;
    recordedAt = Record(run, row);
    if (jsonLines) jsonLines->Ended(row);
    return exit;
  };
  if (code != kExitSuccess) {
    if (enclosure.chipInfoRead) row.firmwareBefore = FirmwareVersionText(enclosure.version());
    row.forbidden = enclosure.forbidden;
    return recorded(RowResult::kRefused, enclosure.refusal, code);
  }
  TakeIdentity(row, enclosure.reading, enclosure.lines);
  ShowIdentity(run, enclosure);
  if (enclosure.lines.upToDate) {
    run.text() << "Up to date: nothing to do.\n";
    run.json.Member("result", ResultText(RowResult::kUpToDate));
    return recorded(RowResult::kUpToDate, "", kExitSuccess);
  }

  const std::string prefix = enclosure.device->shown + ": ";
  // Older firmware over newer only when asked for, for one named enclosure.
  if (enclosure.verdict == Verdict::kNewer && !run.args.allowOlder) {
    row.forbidden = true;
    return recorded(
        RowResult::kRefused, RefusalSentence(kNewerFirmwareRefusal, 0, enclosure.version()),
        ReportRefusal(run, kExitFailure, prefix, kNewerFirmwareRefusal, 0, enclosure.version()));
  }
  if (const Refusal* refusal = FirmwareWriteRefusal()) {
    row.forbidden = true;
    return recorded(RowResult::kRefused, RefusalSentence(*refusal),
                    ReportRefusal(run, kExitFailure, prefix, *refusal));
  }

  ShowPlanFor(run, 1);
  if (!run.args.yes && !Confirmed(run)) {
    run.text() << "Nothing done.\n";
    return kExitDeclined;
  }

  const std::string& path = enclosure.device->path;
  std::unique_ptr<ProgressView> view = jsonLines ? jsonLines->ViewOf(row) : MakeView(run);
  ProgressFeed progress(view.get());
  UpdateMonitor monitor(progress, run.env.hold, run.env.seconds, &run.env.err);
  if (run.args.trace) monitor.SetTrace(&run.env.err);
  if (jsonLines) jsonLines->Started(row);
  // The handle its probe opened, kept through the question: the update goes to
  // the unit the question named, or to none.
  const EnclosureUpdateResult result =
      UpdateEnclosure(path, enclosure.device->places, monitor, std::move(enclosure.lock),
                      {enclosure.device->span, &enclosure.reading.chipInfo});
  const std::vector<std::string> held = monitor.ReleaseHold();
  // What comes back after a reconnection is read by name again.
  for (Candidate& candidate : enclosure.candidates) candidate.span.reset();
  row.seconds = result.seconds;
  row.sense = SenseText(result.sense);
  if (result.lock.busy()) {
    return recorded(RowResult::kRefused, RefusalSentence(kEnclosureBusyRefusal),
                    ReportRefusal(run, kExitFailure, prefix, kEnclosureBusyRefusal));
  }
  if (result.lock.refused()) {
    return recorded(RowResult::kRefused, LockProblemSentence(result.lock.problem),
                    ReportLockProblem(run, result.lock.problem));
  }
  if (result.changed) {
    return recorded(
        RowResult::kSkipped, kEnclosureChangedText,
        run.Fail(kExitFailure, prefix + kEnclosureChangedText + "; nothing was written"));
  }

  ReportUnflushed(run, result.unflushed);
  run.text() << (result.passed ? "PASS\n" : "FAIL\n");
  run.json.Member("result", ResultText(result.passed ? RowResult::kPass : RowResult::kFail));
  if (result.sense.present) {
    run.json.Key("sense")
        .BeginObject()
        .Member("key", static_cast<int>(result.sense.key))
        .Member("asc", static_cast<int>(result.sense.asc))
        .Member("ascq", static_cast<int>(result.sense.ascq))
        .Member("text", SenseText(result.sense))
        .EndObject();
  }
  ReportHeld(run, held);
  if (result.passed) {
    run.text() << ReconnectAdvice(run.host, enclosure.device->places) << '\n';
    recorded(RowResult::kPass, "", kExitSuccess);
    return run.args.wait ? Confirm(run, *enclosure.device, row, recordedAt) : kExitSuccess;
  }
  std::string why = FailureReason(result);
  if (run.access.Refused(path)) why += " (" + run.host.AccessAdvice(run.access.code()) + ")";
  return recorded(RowResult::kFail, why, run.Fail(kExitFailure, prefix + why));
}
