// tq214 as a process: its environment read once, its streams set up, the run
// over the real machine.

#include "cli/host/ProcessSetup.h"

#include <chrono>
#include <iostream>
#include <memory>

#include "cli/CliEnvironment.h"
#include "cli/capture/ProgramCapture.h"
#include "cli/host/ClosedDescriptors.h"
#include "cli/host/RealHost.h"
#include "cli/output/StandardStreams.h"
#include "cli/update/InterruptHold.h"
#include "engine/WriteGuard.h"

ProcessVariables ReadProcessVariables() {
  ProcessVariables variables;
  variables.history = EnvironmentText("TQ214_HISTORY");
  variables.journal = EnvironmentText("TQ214_JOURNAL");
  variables.lockDir = EnvironmentText("TQ214_LOCK_DIR");
  variables.notifySocket = EnvironmentText("NOTIFY_SOCKET");
  variables.stateHome = EnvironmentText("XDG_STATE_HOME");
  variables.home = EnvironmentText("HOME");
  variables.localAppData = EnvironmentText("LOCALAPPDATA");
  if (const char* capture = ProgramCapture::FolderVariable()) {
    variables.jsonCapture = EnvironmentText(capture);
  }
  if (const char* standIn = StandInSwitchVariable()) {
    variables.standInSwitch = EnvironmentText(standIn);
  }
  return variables;
}

int RunProcess(const std::vector<std::string>& args) {
  // Before any file is opened: a closed standard descriptor would be taken
  // by the next file, and lines meant for the terminal would land in it.
  OpenClosedStandardStreams();

  // First, while this is the program's only thread: every thread started
  // later inherits the hold of stop requests.
  KeepRunningWhenOutputCloses();
  const std::unique_ptr<InterruptHold> hold = MakeInterruptHold();
  const ProcessVariables variables = ReadProcessVariables();
  SetStandInSwitch(variables.standInSwitch.c_str());
  const std::string historyPath = DefaultHistoryPath(variables);
  // The tests' build only: its JSON for the schema check.
  ProgramCapture capture(variables.jsonCapture, args, {variables.history, historyPath});
  // Printing never holds up the work: a thread of its own writes.
  PumpedStandardStreams output(capture.output());

  CliEnvironment env(std::cin, std::cout, std::cerr);
  env.outProgress = &output.outProgress();
  env.outIsTerminal = StandardOutputIsTerminal();
  if (const size_t columns = TerminalColumns()) env.columns = columns;
  env.seconds = [] {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
  };
  SystemGuards* const guards = SystemGuardsOfPlatform(variables.lockDir);
  env.systemHost = [guards] { return MakeRealHost(guards); };
  env.resources = SystemResources();
  env.guards = guards;
  env.historyPath = historyPath;
  env.historyOverride = variables.history;
  env.hold = hold.get();
  env.journal = SystemJournalOfPlatform();
  env.journalAlways = variables.journal == "1";
  env.service = ServiceManagerOfPlatform(variables.notifySocket);
  env.drain = [&output] { output.Drain(); };
  const int code = RunCli(args, env);
  // The update is over: what it printed may take its time.
  output.Drain();
  capture.Keep();
  return code;
}
