#include <memory>

#include "cli/CliArguments.h"
#include "cli/CliEnvironment.h"
#include "cli/CliShell.h"
#include "cli/CommandRun.h"
#include "cli/CommandTable.h"
#include "cli/ExitCodes.h"
#include "cli/JsonWriter.h"
#include "cli/host/AccessLog.h"
#include "cli/host/RecordingHost.h"
#include "cli/host/ReplayHost.h"
#include "cli/host/SimulatedHost.h"
#include "cli/host/TraceBackend.h"
#include "cli/text/DeviceText.h"
#include "cli/text/VersionText.h"
#include "cli/update/RecordHold.h"
#include "session/SessionReader.h"
#include "session/SessionWriter.h"

namespace {

// An error before any command ran: one line, and the JSON object if asked.
// What the user typed is in it, shown as every message shows it.
int EarlyFailure(CliEnvironment& env, const CliArguments& args, const std::string& error,
                 int code) {
  env.err << "tq214: " << EscapeControlBytes(error) << '\n';
  if (args.json) {
    JsonWriter json;
    json.BeginDocument().Member("error", error).Member("exitCode", code).EndObject();
    env.out << json.text() << '\n';
  }
  return code;
}

// The history the run writes and `history` reads: TQ214_HISTORY when set;
// otherwise this machine's, except for a simulated or replayed run, whose
// enclosures are not this machine's; none with --no-history.
std::string HistoryPathOf(const CliEnvironment& env, const CliArguments& args) {
  if (args.noHistory) return "";
  if (!env.historyOverride.empty()) return env.historyOverride;
  if (args.simulate || !args.replay.empty()) return "";
  return env.historyPath;
}

// The commands that append to the history: every update.
bool WritesHistory(const CliArguments& args) {
  const std::string name = args.command->name;
  return !args.noHistory && (name == "update" || (name == "watch" && args.update));
}

std::unique_ptr<Host> MakeHost(CliEnvironment& env, const CliArguments& args) {
  if (!args.simulate) return env.systemHost ? env.systemHost() : nullptr;
  // As asked; otherwise a person watching the bar sees the pieces go by, and
  // anything else gets the result at once.
  const uint32_t watched = env.outIsTerminal && !args.json ? kWatchedPieceMs : 0;
  const uint32_t pieceMs = args.pieceMsGiven ? args.pieceMs : watched;
  auto host = std::make_unique<SimulatedHost>(args.scenario, env.resources, pieceMs);
  if (env.onSimulation) env.onSimulation(host->machine());
  return host;
}

// The machine of a recorded session, replayed; null, the error said, when
// the session cannot be read.
std::unique_ptr<ReplayHost> ReplayedHost(CliEnvironment& env, const CliArguments& parsed) {
  Session recorded;
  const SessionLoad load = LoadSession(parsed.replay, &recorded);
  if (!load.ok) {
    EarlyFailure(env, parsed, load.error, kExitFailure);
    return nullptr;
  }
  if (load.cutShort) {
    env.err << "tq214: " << EscapeControlBytes(parsed.replay)
            << " ends inside an event (a run cut short): replayed up to its last whole one\n";
  }
  return std::make_unique<ReplayHost>(std::move(recorded), env.resources);
}

// The run's hold of stop requests in place of the platform's, from the
// command's start until it is destroyed, which lets go of the requests.
class RunHold {
 public:
  explicit RunHold(CliEnvironment& env) : env_(env), platform_(env.hold) {
    if (platform_ == nullptr) return;
    record_ = std::make_unique<RecordHold>(*platform_);
    env.hold = record_.get();
  }
  ~RunHold() {
    record_.reset();
    env_.hold = platform_;
  }
  RunHold(const RunHold&) = delete;
  RunHold& operator=(const RunHold&) = delete;
  RecordHold* get() const { return record_.get(); }

 private:
  CliEnvironment& env_;
  InterruptHold* platform_;
  std::unique_ptr<RecordHold> record_;
};

// Runs the parsed command over `machine`, its commands through the access log
// (and --trace), and ends its output. `replay`: the machine, when it replays a
// session; `history`: where updates are recorded, none when null.
int RunOver(CliEnvironment& env, const CliArguments& parsed, Host& machine, ReplayHost* replay,
            HistoryFile* history, const SessionWriter& writer) {
  Seams seams = machine.seams();
  if (seams.guards == nullptr) seams.guards = env.guards;
  CliShell shell(env.err, !parsed.simulate);
  AccessLog access(*seams.scsi, [&machine](uint32_t code) { return machine.IsAccessError(code); });
  TraceBackend trace(access, env.err);
  seams.scsi = parsed.trace ? static_cast<ScsiBackend*>(&trace) : &access;
  seams.shell = &shell;
  ScopedSeams installed(seams);

  // Requests to stop held during an update stay held until the run's
  // record (history, journal, result) is written: past the command's
  // Finish and the output's drain, as `hold` is destroyed after `run`.
  const RunHold hold(env);
  CommandRun run(env, parsed, machine, access, CommandWords(*parsed.command));
  run.recordHold = hold.get();
  run.history = history;
  const bool ownMachine = !parsed.simulate && replay == nullptr;
  UpdateJournal journal(ownMachine || env.journalAlways ? env.journal : nullptr,
                        parsed.trace ? &env.err : nullptr);
  run.journal = &journal;
  if (replay) {
    replay->replayer().SetOnDiverge([&run](const std::string& line) { run.Halt(line); });
  }
  const int code = parsed.command->run(run);
  if (replay) {
    const std::string leftOver = replay->replayer().LeftOver();
    if (!leftOver.empty()) run.Halt(leftOver);
  }
  if (!parsed.record.empty() && !writer.ok()) {
    run.Note("the session " + parsed.record + " could not be written whole");
  }
  const int exitCode = run.Finish(code);
  if (env.drain) env.drain();
  return exitCode;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  CliArguments parsed;
  std::string error;
  if (!ParseArguments(args, &parsed, &error)) {
    return EarlyFailure(env, parsed, error, kExitUsage);
  }
  if (parsed.help) {
    env.out << UsageText();
    return kExitSuccess;
  }
  if (parsed.version) {
    env.out << VersionText(env.resources);
    return kExitSuccess;
  }

  std::unique_ptr<Host> host;
  ReplayHost* replay = nullptr;
  if (!parsed.replay.empty()) {
    std::unique_ptr<ReplayHost> replayHost = ReplayedHost(env, parsed);
    if (!replayHost) return kExitFailure;
    replay = replayHost.get();
    host = std::move(replayHost);
  } else {
    host = MakeHost(env, parsed);
    if (!host) {
      env.err << "tq214: no device access on this system; only --simulate works\n";
      return kExitFailure;
    }
  }
  const std::string historyPath = HistoryPathOf(env, parsed);
  HistoryFile history(historyPath, env.err);
  // Refused before anything is recorded or sent to an enclosure.
  const std::string unsafe = WritesHistory(parsed) ? history.Unsafe() : "";
  if (!unsafe.empty())
    return EarlyFailure(env, parsed, unsafe + "; nothing was done", kExitFailure);
  SessionWriter writer;
  if (!parsed.record.empty()) {
    if (!writer.Open(parsed.record, MakeHeader("tq214", args, host->placesKey()), &error)) {
      return EarlyFailure(env, parsed, "cannot record the session: " + error, kExitFailure);
    }
    host = std::make_unique<RecordingHost>(std::move(host), writer);
  }
  return RunOver(env, parsed, *host, replay, historyPath.empty() ? nullptr : &history, writer);
}
