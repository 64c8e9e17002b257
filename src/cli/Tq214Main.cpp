// tq214: the firmware update of the TQ-214 enclosure from the command line.

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/host/RealHost.h"
#include "cli/update/InterruptHold.h"

int main(int argc, char** argv) {
  // First, while this is the program's only thread: every thread started
  // later inherits the hold of stop requests.
  KeepRunningWhenOutputCloses();
  const std::unique_ptr<InterruptHold> hold = MakeInterruptHold();

  const std::vector<std::string> args(argv + 1, argv + argc);
  CliEnvironment env(std::cin, std::cout, std::cerr);
  env.outIsTerminal = StandardOutputIsTerminal();
  if (const size_t columns = TerminalColumns()) env.columns = columns;
  env.seconds = [] {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
  };
  env.systemHost = MakeRealHost;
  env.resources = SystemResources();
  env.guards = SystemGuardsOfPlatform();
  env.historyPath = DefaultHistoryPath();
  if (const char* named = std::getenv("TQ214_HISTORY")) env.historyOverride = named;
  env.hold = hold.get();
  env.journal = SystemJournalOfPlatform();
  const char* journal = std::getenv("TQ214_JOURNAL");
  env.journalAlways = journal != nullptr && std::string(journal) == "1";
  env.service = ServiceManagerOfPlatform();
  const int code = RunCli(args, env);
  std::cout.flush();
  return code;
}
