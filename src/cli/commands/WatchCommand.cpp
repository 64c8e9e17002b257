// tq214 watch [--update]: follows enclosures as they arrive and leave. Each
// arrival is read and shown with its verdict; with --update each outdated
// TBR640 that arrives is updated once, side by side with any update already
// running, and then left alone until it has been unplugged and plugged in
// again. Ctrl+C ends the watch (after the updates running, which it holds);
// on a simulated machine the watch ends when the scenario's timeline is over.

#include <map>
#include <string>
#include <vector>

#include "IDEAccess/Discovery.h"
#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/RefusalReport.h"
#include "cli/enclosure/RowResult.h"
#include "cli/fleet/ServiceNotices.h"
#include "cli/history/HistoryRecord.h"
#include "cli/text/DeviceText.h"
#include "cli/update/HeldReport.h"
#include "cli/update/ParallelUpdates.h"
#include "cli/update/Reconnect.h"
#include "cli/update/ReconnectAdvice.h"
#include "cli/update/ResultTable.h"
#include "cli/update/UpdateEvents.h"
#include "cli/update/UpdatePlan.h"
#include "engine/FirmwareVersion.h"
#include "engine/WriteGuard.h"
#include "seams/AsciiCase.h"
#include "seams/Seams.h"

namespace {

// How long one wait for device events lasts before finished updates are
// looked at again.
constexpr uint32_t kWaitMs = 100;
// A disk that did not answer as a bridge, or a TBR640 whose reading failed,
// may be busy still after being plugged in: it is looked at again after
// these delays, then taken as it answers.
constexpr uint32_t kRetryDelaysMs[] = {200, 400, 800};
constexpr size_t kRetries = sizeof kRetryDelaysMs / sizeof kRetryDelaysMs[0];

using Clock = std::chrono::steady_clock;

enum class State { kNotABridge, kPresent, kUpdating, kLeftAlone, kRetrying };

struct Tracked {
  State state = State::kPresent;
  std::string path;    // as the system spells it
  std::string device;  // as shown
  std::string name;    // as a technician names it
  bool gone = false;   // unplugged while its update ran
  ResultRow arrived;   // as it was read on arrival: what its events name
  size_t retries = 0;
  Clock::time_point retryAt;
};

// An enclosure that passed, until it comes back from being reconnected.
struct Awaited {
  Unit unit;
  size_t row = 0;  // its result, in the rows
  // cppcheck-suppress unusedStructMember ; read through the iterator that finds it
  std::string recordedAt;  // its entry in the history
};

class Watch {
 public:
  explicit Watch(CommandRun& run)
      : run_(run),
        progress_(run.text(), run.textProgress(), run.env.outIsTerminal && !run.jsonMode(),
                  run.env.columns),
        updates_(progress_, run.env.hold, run.env.seconds, run.env.err),
        notices_(run.env.service, run.env.seconds),
        jsonLines_(JsonLinesOf(run)) {
    if (run.args.trace) updates_.SetTrace(&run.env.err);
    updates_.SetJsonLines(jsonLines_.get());
  }

  // A request to stop is held only while an update writes. Once one has
  // arrived, held or not, nothing new is looked at or started; the watch
  // ends when the updates running have ended.
  int Run(DeviceEvents& deviceEvents) {
    deviceEvents_ = &deviceEvents;
    InterruptHold* hold = run_.env.hold;
    if (hold) hold->SetRunEndsOnRequest(true);
    run_.text() << "Watching for enclosures"
                << (run_.args.update ? "; each outdated TBR640 that arrives is updated once" : "")
                << ". Ctrl+C ends the watch.\n";
    for (;;) {
      Collect();
      // Between updates requests are let through again, once each update
      // that ended is in the history (none starts but on this thread).
      if (updates_.running() == 0) {
        Collect();
        run_.RecordWritten();
      }
      const bool stopRequested = hold && hold->requested();
      if (stopRequested) notices_.Stopping();
      // A simulated timeline that is over still waits for the arrivals it
      // looks at again.
      const bool stopping = stopRequested || (deviceEvents.Finished() && !RetriesDue());
      if (stopping && updates_.running() == 0) break;
      if (deviceEvents.Wait(kWaitMs) && !stopping) {
        Look();
        notices_.Ready(Counted());
      }
      if (!stopping) LookAgain();
      notices_.Counts(Counted());
      notices_.Alive();
    }
    updates_.WaitAll();
    Collect();
    NotExamined();
    if (hold) hold->SetRunEndsOnRequest(false);
    const std::vector<std::string> held = updates_.held();

    run_.text() << '\n' << ResultTableText(rows_);
    WriteResultRows(run_.json, rows_, run_.host.placesKey());
    ReportHeld(run_, held);
    const int code = ResultsExitCode(rows_);
    return code == kExitSuccess ? code : run_.Fail(code, "not every enclosure updated ended PASS");
  }

 private:
  // Device and file texts on the terminal are shown, never obeyed.
  void Say(const std::string& line) { progress_.Say(EscapeControlBytes(line)); }

  // For the service manager, with the updates that ended collected: one that
  // ends meanwhile shows as running still, never as missing.
  WatchCounts Counted() {
    WatchCounts counts;
    counts.running = updates_.running();
    Collect();
    for (const ResultRow& row : rows_) {
      counts.updated += row.result == RowResult::kPass ? 1 : 0;
      counts.failed += row.result == RowResult::kFail ? 1 : 0;
    }
    if (!rows_.empty()) counts.last = rows_.back().name + " " + ResultText(rows_.back().result);
    return counts;
  }

  bool RetriesDue() const {
    return std::any_of(known_.begin(), known_.end(),
                       [](const auto& entry) { return entry.second.state == State::kRetrying; });
  }

  // The arrivals whose time to be looked at again has come.
  void LookAgain() {
    const Clock::time_point now = Clock::now();
    std::vector<std::string> due;
    for (const auto& [key, tracked] : known_) {
      if (tracked.state == State::kRetrying && now >= tracked.retryAt) due.push_back(key);
    }
    for (const std::string& key : due) Arrived(key, known_[key].path);
  }

  // True when `tracked` is to be looked at again later.
  static bool RetryLater(Tracked& tracked) {
    if (tracked.retries >= kRetries) return false;
    tracked.state = State::kRetrying;
    tracked.retryAt = Clock::now() + std::chrono::milliseconds(kRetryDelaysMs[tracked.retries++]);
    return true;
  }

  // Results of updates that ended: said, kept for the table.
  void Collect() {
    for (const ResultRow& row : updates_.Collect()) {
      const std::string shown = row.name;
      if (row.result == RowResult::kPass) {
        Say(shown + ": PASS. " + ReconnectAdvice(run_.host, row.places));
      } else {
        Say(shown + ": FAIL: " + row.reason);
      }
      rows_.push_back(row);
      const std::string recordedAt = Record(run_, row);
      for (auto& [key, tracked] : known_) {
        if (tracked.device != row.device || tracked.state != State::kUpdating) continue;
        tracked.state = State::kLeftAlone;
        const Unit unit{row.serial, row.port};
        if (row.result == RowResult::kPass && !unit.known()) {
          Say(shown + ": no serial number and no USB port known: it will not be confirmed");
        } else if (row.result == RowResult::kPass) {
          // Confirmed once it comes back from being reconnected.
          awaited_.push_back({unit, rows_.size() - 1, recordedAt});
          deviceEvents_->SimulateReconnect(tracked.path);
        }
        if (tracked.gone) known_.erase(key);
        break;
      }
    }
  }

  // Arrivals still to be looked at again when the watch ended: in the table,
  // with nothing more sent to them.
  void NotExamined() {
    for (const auto& [key, tracked] : known_) {
      if (tracked.state != State::kRetrying) continue;
      ResultRow row = RowOf(NamesOf(run_.host, key));
      row.result = RowResult::kSkipped;
      row.reason = "not examined: the watch ended while it was waiting for it to answer";
      row.counts = false;  // not known to be a TBR640
      rows_.push_back(row);
      if (jsonLines_) jsonLines_->Ended(row);
    }
  }

  // What came and went since the last look.
  void Look() {
    std::map<std::string, std::string> present;  // key, as the system spells it
    for (const std::string& path : ListBusDiskPaths(1)) present[AsciiLower(path)] = path;
    for (auto it = known_.begin(); it != known_.end();) {
      if (present.count(it->first) != 0 || it->second.gone) {
        ++it;
        continue;
      }
      const State state = it->second.state;
      if (state != State::kNotABridge && state != State::kRetrying) {
        Say("- " + it->second.name + " removed");
        if (jsonLines_) jsonLines_->Removed(it->second.arrived);
      }
      if (it->second.state == State::kUpdating) {
        it->second.gone = true;  // forgotten once its update has ended
        ++it;
      } else {
        it = known_.erase(it);
      }
    }
    for (const auto& [key, path] : present) {
      if (known_.count(key) != 0) continue;
      Arrived(key, path);
    }
  }

  // An enclosure that passed, back: read again, it says whether its new
  // firmware started.
  bool Confirmed(const std::string& path, Tracked& tracked) {
    const auto awaited = std::find_if(awaited_.begin(), awaited_.end(), [&](const Awaited& a) {
      return IsUnit(run_.host, a.unit, path);
    });
    if (awaited == awaited_.end() || !AnswersBridge(path.c_str())) return false;
    const ExaminedEnclosure back = Examine(LookAt(run_.host, path));
    if (back.unreadable && RetryLater(tracked)) return true;
    ResultRow& row = rows_[awaited->row];
    row.firmwareAfter = back.row.firmwareBefore;
    row.confirmed = back.row.result == RowResult::kUpToDate;
    Say(back.row.name + (row.confirmed ? ": confirmed, running " + row.firmwareAfter
                                       : ": back, running " + row.firmwareAfter +
                                             "; the new firmware did not start"));
    HistoryEntry confirmation = EntryOf(row);
    confirmation.kind = "confirmation";
    confirmation.updated = awaited->recordedAt;
    confirmation.firmwareAfter = row.firmwareAfter;
    confirmation.confirmed = row.confirmed;
    if (jsonLines_) jsonLines_->Confirmed(row);
    if (run_.history != nullptr) run_.history->Append(confirmation);
    if (run_.journal != nullptr) {
      run_.journal->Log(confirmation, {row.confirmed ? Outcome::kConfirmed : Outcome::kUnconfirmed,
                                       row.port, ""});
    }
    awaited_.erase(awaited);
    tracked.state = State::kLeftAlone;
    tracked.device = back.row.device;
    tracked.name = back.row.name;
    tracked.arrived = back.row;
    return true;
  }

  // An arrival that another program is writing, or whose lock cannot be
  // held, gets no command: said, and left alone until it has been unplugged.
  void BeingWritten(Tracked& tracked, const std::string& path, const LockStanding& lock) {
    Candidate unread = BusyCandidate(run_.host, path);
    unread.lock = lock;
    ResultRow row = Examine(unread).row;
    tracked.state = State::kLeftAlone;
    tracked.device = row.device;
    tracked.name = row.name;
    tracked.arrived = row;
    Say("+ " + row.name + "  " + row.reason);
    if (jsonLines_) jsonLines_->Arrived(row);
    row.counts = run_.args.update;
    rows_.push_back(row);
    if (run_.args.update) Record(run_, row);
  }

  void Arrived(const std::string& key, const std::string& path) {
    notices_.Alive();  // reading an arrival may take a while
    Tracked& tracked = known_[key];
    tracked.path = path;
    // Held shared through the probes; let go of before an update takes it.
    EnclosureLock reading = ActiveSystemGuards().ShareEnclosure(path.c_str());
    if (!reading.taken()) {
      BeingWritten(tracked, path, reading.standing());
      return;
    }
    if (Confirmed(path, tracked)) return;
    if (!AnswersBridge(path.c_str())) {
      if (!RetryLater(tracked)) tracked.state = State::kNotABridge;
      return;
    }
    const ExaminedEnclosure device = Examine(LookAt(run_.host, path));
    reading.guard.reset();
    if (device.unreadable && RetryLater(tracked)) return;
    tracked.state = State::kPresent;
    tracked.device = device.row.device;
    tracked.name = device.row.name;
    const ResultRow& row = device.row;
    const std::string verdict =
        device.toUpdate ? ResultText(RowResult::kUpdateNeeded) : ResultLine(row);
    tracked.arrived = row;
    Say("+ " + row.name + "  \"" + EscapeDeviceText(device.candidate.identification) + "\"  " +
        (row.firmwareBefore.empty() ? "-" : row.firmwareBefore) + "  " + verdict);
    if (jsonLines_) jsonLines_->Arrived(row);
    // Once a request to stop has arrived, nothing new is started.
    const bool stopping = run_.env.hold != nullptr && run_.env.hold->requested();
    if (device.toUpdate && run_.args.update && !stopping) {
      tracked.state = State::kUpdating;
      Say(row.name + ": updating");
      updates_.Start(device);
      return;
    }
    ResultRow seen = row;
    if (device.toUpdate) {
      seen.result = RowResult::kUpdateNeeded;
      seen.counts = false;  // nobody asked for an update
    } else if (device.newer && !run_.args.update) {
      seen.counts = false;
    }
    rows_.push_back(seen);
    if (jsonLines_) jsonLines_->Ended(seen);
    // A watch that updates keeps what it left alone, and why, too.
    if (run_.args.update) Record(run_, seen);
  }

  CommandRun& run_;
  MultiProgress progress_;
  ParallelUpdates updates_;
  ServiceNotices notices_;
  std::map<std::string, Tracked> known_;
  std::vector<ResultRow> rows_;
  std::vector<Awaited> awaited_;
  DeviceEvents* deviceEvents_ = nullptr;
  std::unique_ptr<UpdateEvents> jsonLines_;  // --json=lines
};

}  // namespace

int RunWatch(CommandRun& run) {
  std::unique_ptr<DeviceEvents> deviceEvents = run.host.Events();
  if (!deviceEvents) {
    return run.Fail(kExitFailure, "nothing to watch: the disks of this machine cannot come and go");
  }
  if (run.args.update) {
    if (const Refusal* refusal = FirmwareWriteRefusal()) {
      return ReportRefusal(run, kExitFailure, "", *refusal);
    }
    if (!run.args.yes) {
      ShowPlanFor(run, 0);
      if (!Confirmed(run)) {
        run.text() << "Nothing done.\n";
        return kExitDeclined;
      }
    }
  }
  return Watch(run).Run(*deviceEvents);
}
