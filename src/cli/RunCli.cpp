#include <memory>

#include "cli/AccessWatch.h"
#include "cli/CliArguments.h"
#include "cli/CliEnvironment.h"
#include "cli/CliSession.h"
#include "cli/CliShell.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/JsonWriter.h"
#include "cli/SimulatedHost.h"
#include "cli/TraceBackend.h"
#include "cli/VersionText.h"

namespace {

int BadUsage(CliEnvironment& env, const CliArguments& args, const std::string& error) {
  env.err << "tq214: " << error << '\n';
  if (args.json) {
    JsonWriter json;
    json.BeginObject().Member("error", error).Member("exitCode", kExitUsage).EndObject();
    env.out << json.text() << '\n';
  }
  return kExitUsage;
}

const char* CommandName(CliCommand command) {
  switch (command) {
    case CliCommand::kInfo:
      return "info";
    case CliCommand::kUpdate:
      return "update";
    default:
      break;
  }
  return "list";
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

int Dispatch(CliSession& session) {
  switch (session.args.command) {
    case CliCommand::kInfo:
      return RunInfo(session);
    case CliCommand::kUpdate:
      return RunUpdate(session);
    default:
      break;
  }
  return RunList(session);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  CliArguments parsed;
  std::string error;
  if (!ParseArguments(args, &parsed, &error)) return BadUsage(env, parsed, error);
  if (parsed.command == CliCommand::kHelp) {
    env.out << UsageText();
    return kExitSuccess;
  }
  if (parsed.command == CliCommand::kVersion) {
    env.out << VersionText(env.resources);
    return kExitSuccess;
  }

  std::unique_ptr<Host> host = MakeHost(env, parsed);
  if (!host) {
    env.err << "tq214: no device access on this system; only --simulate works\n";
    return kExitFailure;
  }

  Seams seams = host->seams();
  CliShell shell(env.err, !parsed.simulate);
  Host& machine = *host;
  AccessWatch watch(*seams.scsi, [&machine](uint32_t code) { return machine.IsAccessError(code); });
  TraceBackend trace(watch, env.err);
  seams.scsi = parsed.trace ? static_cast<ScsiBackend*>(&trace) : &watch;
  seams.shell = &shell;
  ScopedSeams installed(seams);

  CliSession session(env, parsed, machine, watch, CommandName(parsed.command));
  return session.Finish(Dispatch(session));
}
