// tq214 update: the window's update, on the command line. The enclosure must
// have passed the device-information run; the configuration block is
// rewritten only after a download that was read back equal.

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/ChosenEnclosure.h"
#include "cli/enclosure/RefusalReport.h"
#include "cli/enclosure/RowResult.h"
#include "cli/history/HistoryRecord.h"
#include "cli/text/DeviceText.h"
#include "cli/text/Enumeration.h"
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

// Whether the unit can be waited for: this machine's disks come and go, and
// the unit can be told from another when it comes back. Says why not.
bool CanWaitFor(CommandRun& run, const DeviceEvents* deviceEvents, const Unit& unit) {
  if (deviceEvents == nullptr) {
    run.Note("the disks of this machine cannot come and go: nothing to wait for");
    return false;
  }
  if (!unit.known()) {
    run.Note(
        "the enclosure has no serial number and its USB port cannot be told: another "
        "enclosure could be taken for it, so it is not waited for; the PASS stands, "
        "unconfirmed");
    return false;
  }
  return true;
}

// Says that it waits, and waits for the unit to go and come back.
Reconnected AwaitReconnect(CommandRun& run, DeviceEvents& deviceEvents, const Candidate& device,
                           const Unit& unit) {
  // Armed before the line that says so: a Ctrl+C right after it ends the
  // wait, not the program (WaitForReconnect disarms it).
  if (run.env.hold != nullptr) run.env.hold->SetRunEndsOnRequest(true);
  // The update's history line is written: the wait holds nothing (its
  // result comes at its end).
  run.RecordWritten();
  run.text() << "Waiting up to " << run.args.waitSeconds
             << " s for the enclosure to be reconnected (Ctrl+C ends the wait).\n"
             << std::flush;
  deviceEvents.SimulateReconnect(device.path);
  return WaitForReconnect(run, deviceEvents, unit, run.args.waitSeconds);
}

// The history's entry for what came back: confirmed when it is back and runs
// the new firmware.
HistoryEntry ConfirmationOf(const ResultRow& updated, const std::string& updatedAt,
                            const Reconnected& back) {
  HistoryEntry confirmation = EntryOf(updated);
  confirmation.kind = "confirmation";
  confirmation.updated = updatedAt;
  confirmation.firmwareAfter = back.found.row.firmwareBefore;
  const bool upToDate = back.found.row.result == RowResult::kUpToDate;
  confirmation.confirmed = back.outcome == ReconnectOutcome::kBack && upToDate;
  return confirmation;
}

// The confirmation in the history and the system journal.
void KeepConfirmation(CommandRun& run, const HistoryEntry& confirmation, const Candidate& device) {
  if (run.history != nullptr) run.history->Append(confirmation);
  if (run.journal != nullptr) {
    run.journal->Log(
        confirmation,
        {confirmation.confirmed ? Outcome::kConfirmed : Outcome::kUnconfirmed, device.port, ""});
  }
}

// The unit came back without the new firmware running, or could not be read.
int NotConfirmed(CommandRun& run, const Candidate& device, const Reconnected& back) {
  const ResultRow& found = back.found.row;
  const std::string what =
      found.firmwareBefore.empty()
          ? std::string("it came back but could not be read")
          : "running " + found.firmwareBefore + ", " +
                (back.found.toUpdate ? ResultText(RowResult::kUpdateNeeded) : ResultLine(found));
  return run.Fail(kExitFailure, device.shown + ": " + what + "; the new firmware did not start");
}

// --wait: the unit reconnected and read again. Its history entry is
// completed with what it runs now.
int Confirm(CommandRun& run, const Candidate& device, const ResultRow& updated,
            const std::string& updatedAt) {
  std::unique_ptr<DeviceEvents> deviceEvents = run.host.Events();
  const Unit unit{device.serial, device.port};
  if (!CanWaitFor(run, deviceEvents.get(), unit)) return kExitSuccess;
  const Reconnected back = AwaitReconnect(run, *deviceEvents, device, unit);

  const HistoryEntry confirmation = ConfirmationOf(updated, updatedAt, back);
  run.json.Key("confirmation")
      .BeginObject()
      .Member("confirmed", confirmation.confirmed)
      .Member("firmwareAfter", confirmation.firmwareAfter)
      .EndObject();
  if (back.outcome == ReconnectOutcome::kEnded) {
    run.Note("the wait was ended; the update's PASS stands, unconfirmed");
    return kExitSuccess;
  }
  KeepConfirmation(run, confirmation, device);
  if (back.outcome == ReconnectOutcome::kTimedOut) {
    return run.Fail(kExitFailure, "the enclosure did not come back within " +
                                      std::to_string(run.args.waitSeconds) +
                                      " s; the update's PASS stands, unconfirmed");
  }
  if (confirmation.confirmed) {
    run.text() << "running " << confirmation.firmwareAfter << ", Up to date\n";
    return kExitSuccess;
  }
  return NotConfirmed(run, device, back);
}

std::unique_ptr<ProgressView> MakeView(CommandRun& run) {
  if (run.jsonMode()) return nullptr;
  if (run.env.outIsTerminal) {
    return std::make_unique<BarProgress>(run.env.out, run.outProgress(), run.env.seconds);
  }
  return std::make_unique<PlainProgress>(run.outProgress());
}

// The update's row, from the enclosure chosen on: each way the update ends
// records it once, in the history (whose time the confirmation names) and as
// --json=lines' result.
class UpdateRecord {
 public:
  UpdateRecord(CommandRun& run, ResultRow begun)
      : row(std::move(begun)), jsonLines(JsonLinesOf(run)), run_(run) {}
  // Records the row as ended with `result`; returns `exit`.
  int Ended(RowResult result, const std::string& reason, int exit) {
    row.result = result;
    row.reason = reason;
    recordedAt_ = Record(run_, row);
    if (jsonLines) jsonLines->Ended(row);
    return exit;
  }
  const std::string& recordedAt() const { return recordedAt_; }

  ResultRow row;
  const std::unique_ptr<UpdateEvents> jsonLines;  // none without --json=lines

 private:
  CommandRun& run_;
  std::string recordedAt_;
};

// Older firmware over newer only when asked for, for one named enclosure;
// nothing over a real enclosure from a build that carries the stand-in
// image. The exit code of a refusal, recorded; none when the update may go on.
std::optional<int> RefusedBeforeWriting(CommandRun& run, const ChosenEnclosure& enclosure,
                                        const std::string& prefix, UpdateRecord& record) {
  if (enclosure.verdict == Verdict::kNewer && !run.args.allowOlder) {
    record.row.forbidden = true;
    return record.Ended(
        RowResult::kRefused, RefusalSentence(kNewerFirmwareRefusal, 0, enclosure.version()),
        ReportRefusal(run, kExitFailure, prefix, kNewerFirmwareRefusal, 0, enclosure.version()));
  }
  if (const Refusal* refusal = FirmwareWriteRefusal()) {
    record.row.forbidden = true;
    return record.Ended(RowResult::kRefused, RefusalSentence(*refusal),
                        ReportRefusal(run, kExitFailure, prefix, *refusal));
  }
  return std::nullopt;
}

// Updates the chosen enclosure, its progress shown as the run asks; the row
// takes the time and the device's answer, `held` the stop requests held.
EnclosureUpdateResult WriteEnclosure(CommandRun& run, ChosenEnclosure& enclosure,
                                     UpdateRecord& record, std::vector<std::string>* held) {
  std::unique_ptr<ProgressView> view =
      record.jsonLines ? record.jsonLines->ViewOf(record.row) : MakeView(run);
  ProgressFeed progress(view.get());
  UpdateMonitor monitor(progress, run.env.hold, run.env.seconds, &run.env.err);
  if (run.args.trace) monitor.SetTrace(&run.env.err);
  if (record.jsonLines) record.jsonLines->Started(record.row);
  // The handle its probe opened, kept through the question: the update goes to
  // the unit the question named, or to none.
  EnclosureUpdateResult result = UpdateEnclosure(
      enclosure.device->path, enclosure.device->places, monitor, std::move(enclosure.lock),
      {enclosure.device->span, &enclosure.reading.chipInfo});
  *held = monitor.ReleaseHold();
  // What comes back after a reconnection is read by name again.
  for (Candidate& candidate : enclosure.candidates) candidate.span.reset();
  record.row.seconds = result.seconds;
  record.row.sense = SenseText(result.sense);
  return result;
}

// Nothing was written: another program held the enclosure's lock, the lock
// had no safe place, or another unit answered. The exit code, recorded; none
// when the update ran.
std::optional<int> NotWritten(CommandRun& run, const EnclosureUpdateResult& result,
                              const std::string& prefix, UpdateRecord& record) {
  if (result.lock.busy()) {
    return record.Ended(RowResult::kRefused, RefusalSentence(kEnclosureBusyRefusal),
                        ReportRefusal(run, kExitFailure, prefix, kEnclosureBusyRefusal));
  }
  if (result.lock.refused()) {
    return record.Ended(RowResult::kRefused, LockProblemSentence(result.lock.problem),
                        ReportLockProblem(run, result.lock.problem));
  }
  if (result.changed) {
    return record.Ended(
        RowResult::kSkipped, kEnclosureChangedText,
        run.Fail(kExitFailure, prefix + kEnclosureChangedText + "; nothing was written"));
  }
  return std::nullopt;
}

// What the device answered when a command of it failed.
void ReportSense(JsonWriter& json, const SenseData& sense) {
  json.Key("sense")
      .BeginObject()
      .Member("key", static_cast<int>(sense.key))
      .Member("asc", static_cast<int>(sense.asc))
      .Member("ascq", static_cast<int>(sense.ascq))
      .Member("text", SenseText(sense))
      .EndObject();
}

// What came of an update that ran: PASS, with the advice to reconnect (and,
// with --wait, the confirmation), or FAIL and why.
int ReportWritten(CommandRun& run, const Candidate& device, const EnclosureUpdateResult& result,
                  const std::vector<std::string>& held, const std::string& prefix,
                  UpdateRecord& record) {
  ReportUnflushed(run, result.unflushed);
  run.text() << (result.passed ? "PASS\n" : "FAIL\n");
  run.json.Member("result", ResultText(result.passed ? RowResult::kPass : RowResult::kFail));
  if (result.sense.present) ReportSense(run.json, result.sense);
  ReportHeld(run, held);
  if (result.passed) {
    run.text() << ReconnectAdvice(run.host, device.places) << '\n';
    record.Ended(RowResult::kPass, "", kExitSuccess);
    return run.args.wait ? Confirm(run, device, record.row, record.recordedAt()) : kExitSuccess;
  }
  std::string why = FailureReason(result);
  if (run.access.Refused(device.path)) {
    why += " (" + run.host.AccessAdvice(run.access.code()) + ")";
  }
  return record.Ended(RowResult::kFail, why, run.Fail(kExitFailure, prefix + why));
}

}  // namespace

int RunUpdate(CommandRun& run) {
  ChosenEnclosure enclosure;
  // Its lock is taken before its first command and held to the end.
  const int code = ChooseAndRead(run, &enclosure, LockUse::kTake);
  if (code != kExitSuccess && enclosure.device == nullptr) return code;
  // From here on each outcome is one entry of the history.
  UpdateRecord record(run, RowOf(*enclosure.device));
  if (code != kExitSuccess) {
    if (enclosure.chipInfoRead) {
      record.row.firmwareBefore = FirmwareVersionText(enclosure.version());
    }
    record.row.forbidden = enclosure.forbidden;
    return record.Ended(RowResult::kRefused, enclosure.refusal, code);
  }
  TakeIdentity(record.row, enclosure.reading, enclosure.lines);
  ShowIdentity(run, enclosure);
  if (enclosure.lines.upToDate) {
    run.text() << "Up to date: nothing to do.\n";
    run.json.Member("result", ResultText(RowResult::kUpToDate));
    return record.Ended(RowResult::kUpToDate, "", kExitSuccess);
  }

  const std::string prefix = enclosure.device->shown + ": ";
  if (const std::optional<int> refused = RefusedBeforeWriting(run, enclosure, prefix, record)) {
    return *refused;
  }
  ShowPlanFor(run, 1);
  if (!run.args.yes && !Confirmed(run)) {
    run.text() << "Nothing done.\n";
    return kExitDeclined;
  }

  std::vector<std::string> held;
  const EnclosureUpdateResult result = WriteEnclosure(run, enclosure, record, &held);
  if (const std::optional<int> notWritten = NotWritten(run, result, prefix, record)) {
    return *notWritten;
  }
  return ReportWritten(run, *enclosure.device, result, held, prefix, record);
}
