// tq214 watch [--update]: follows enclosures as they arrive and leave. Each
// arrival is read and shown with its verdict; with --update each outdated
// TBR640 that arrives is updated once, side by side with any update already
// running, and then left alone until it has been unplugged and plugged in
// again. Ctrl+C ends the watch (after the updates running, which it holds);
// on a simulated machine the watch ends when the scenario's timeline is over.

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "IDEAccess/Discovery.h"
#include "Tessaloft_main/ConfigBlock.h"
#include "Tessaloft_main/WriteGuard.h"
#include "cli/Commands.h"
#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"
#include "cli/HeldReport.h"
#include "cli/ParallelUpdates.h"
#include "cli/ResultTable.h"
#include "cli/UpdatePlan.h"

namespace {

// How long one wait for device events lasts before finished updates are
// looked at again.
constexpr uint32_t kWaitMs = 100;

enum class State { kNotABridge, kPresent, kUpdating, kLeftAlone };

struct Tracked {
  State state = State::kPresent;
  std::string shown;
  bool gone = false;  // unplugged while its update ran
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return text;
}

std::string TargetVersion() {
  const auto& v = TargetFirmwareVersion;
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
         std::to_string(v[3]);
}

class Watch {
 public:
  explicit Watch(CliSession& session)
      : session_(session),
        progress_(session.text(), session.env.outIsTerminal && !session.jsonMode()),
        updates_(progress_, nullptr, session.env.seconds) {}

  int Run(DeviceEvents& events) {
    InterruptHold* hold = session_.env.hold;
    // Held for the whole watch: a request to stop ends it once no update runs.
    if (hold) {
      hold->Begin([this] {
        return updates_.running() != 0 ? updates_.Notice()
                                       : std::string("\ntq214: ending the watch\n");
      });
    }
    session_.text() << "Watching for enclosures"
                    << (session_.args.update ? "; each outdated TBR640 that arrives is updated once"
                                             : "")
                    << ". Ctrl+C ends the watch.\n";
    for (;;) {
      Collect();
      const bool stop = (hold && hold->requested()) || events.Finished();
      if (stop && updates_.running() == 0) break;
      if (events.Wait(kWaitMs)) Look();
    }
    updates_.WaitAll();
    Collect();
    const std::vector<std::string> held = hold ? hold->End() : std::vector<std::string>();

    session_.text() << '\n' << SummaryTable(rows_, session_.host.placesLabel());
    WriteRows(session_.json, rows_, session_.host.placesKey());
    ReportHeld(session_, held);
    const int code = StationExitCode(rows_);
    return code == kExitSuccess ? code
                                : session_.Fail(code, "not every enclosure updated ended PASS");
  }

 private:
  void Say(const std::string& line) { progress_.Say(line); }

  // Results of updates that ended: said, kept for the table.
  void Collect() {
    for (const StationRow& row : updates_.Collect()) {
      const std::string shown = row.device;
      if (row.result == "PASS") {
        Say(shown + ": PASS; you may unplug it now (it starts " + TargetVersion() +
            " when plugged in again)");
      } else {
        Say(shown + ": FAIL: " + row.reason);
      }
      rows_.push_back(row);
      for (auto& [key, tracked] : known_) {
        if (tracked.shown != row.device || tracked.state != State::kUpdating) continue;
        tracked.state = State::kLeftAlone;
        if (tracked.gone) known_.erase(key);
        break;
      }
    }
  }

  // What came and went since the last look.
  void Look() {
    std::map<std::string, std::string> present;  // key, as the system spells it
    for (const std::string& path : ListBusDiskPaths(1)) present[Lower(path)] = path;
    for (auto it = known_.begin(); it != known_.end();) {
      if (present.count(it->first) != 0 || it->second.gone) {
        ++it;
        continue;
      }
      if (it->second.state != State::kNotABridge) Say("- " + it->second.shown + " removed");
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

  void Arrived(const std::string& key, const std::string& path) {
    Tracked& tracked = known_[key];
    if (!AnswersBridge(path.c_str())) {
      tracked.state = State::kNotABridge;
      return;
    }
    const StationDevice device = Examine(LookAt(session_.host, path));
    tracked.shown = device.row.device;
    const StationRow& row = device.row;
    std::string places;
    for (const std::string& place : row.places) places += " " + EscapeDeviceText(place);
    const std::string verdict = device.toUpdate      ? "update needed"
                                : row.reason.empty() ? row.result
                                                     : row.result + ": " + row.reason;
    Say("+ " + row.device + places + "  \"" + EscapeDeviceText(device.candidate.identification) +
        "\"  " + (row.firmwareBefore.empty() ? "-" : row.firmwareBefore) + "  " + verdict);
    if (device.toUpdate && session_.args.update) {
      tracked.state = State::kUpdating;
      Say(row.device + ": updating");
      updates_.Start(device);
      return;
    }
    StationRow seen = row;
    if (device.toUpdate) {
      seen.result = "update needed";
      seen.counts = false;  // nobody asked for an update
    }
    rows_.push_back(seen);
  }

  CliSession& session_;
  MultiProgress progress_;
  ParallelUpdates updates_;
  std::map<std::string, Tracked> known_;
  std::vector<StationRow> rows_;
};

}  // namespace

int RunWatch(CliSession& session) {
  std::unique_ptr<DeviceEvents> events = session.host.Events();
  if (!events) {
    return session.Fail(kExitFailure,
                        "nothing to watch: the disks of this machine cannot come and go");
  }
  if (session.args.update) {
    if (const char* refusal = FirmwareWriteRefusal()) {
      session.json.Member("refusal", "stand-in-image");
      return session.Fail(kExitFailure, std::string(refusal) + StandInAdvice());
    }
    if (!session.args.yes) {
      ShowPlanFor(session, 0);
      if (!Confirmed(session)) {
        session.text() << "Nothing done.\n";
        return kExitDeclined;
      }
    }
  }
  return Watch(session).Run(*events);
}
