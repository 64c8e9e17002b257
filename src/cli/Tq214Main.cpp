// tq214: the firmware update of the TQ-214 enclosure from the command line.

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/capture/ProgramCapture.h"
#include "cli/host/ClosedDescriptors.h"
#include "cli/host/RealHost.h"
#include "cli/output/StandardStreams.h"
#include "cli/update/InterruptHold.h"
#include "platform/DllSearch.h"

namespace {

// The program, with its arguments (after its name) as UTF-8.
int Tq214(const std::vector<std::string>& args) {
  // Before any file is opened: a closed standard descriptor would be taken
  // by the next file, and lines meant for the terminal would land in it.
  OpenClosedStandardStreams();

  // First, while this is the program's only thread: every thread started
  // later inherits the hold of stop requests.
  KeepRunningWhenOutputCloses();
  const std::unique_ptr<InterruptHold> hold = MakeInterruptHold();
  const std::string historyPath = DefaultHistoryPath();
  const std::string historyOverride = EnvironmentText("TQ214_HISTORY");
  // The tests' build only: its JSON for the schema check.
  ProgramCapture capture(args, {historyOverride, historyPath});
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
  env.systemHost = MakeRealHost;
  env.resources = SystemResources();
  env.guards = SystemGuardsOfPlatform();
  env.historyPath = historyPath;
  env.historyOverride = historyOverride;
  env.hold = hold.get();
  env.journal = SystemJournalOfPlatform();
  const char* journal = std::getenv("TQ214_JOURNAL");
  env.journalAlways = journal != nullptr && std::string(journal) == "1";
  env.service = ServiceManagerOfPlatform();
  env.drain = [&output] { output.Drain(); };
  const int code = RunCli(args, env);
  // The update is over: what it printed may take its time.
  output.Drain();
  capture.Keep();
  return code;
}

}  // namespace

#ifdef _WIN32
// Windows gives the arguments as UTF-16 (-municode), so that a path in any
// folder arrives whole, not through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  LoadDllsFromSystemFolderOnly();
  return Tq214(Utf8Arguments(argc, argv));
}
#else
int main(int argc, char** argv) {
  LoadDllsFromSystemFolderOnly();
  return Tq214(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
