#pragma once
// What tq214 runs with: its standard streams, whether standard output is a
// terminal, a clock, and the machine it works on. The program's main fills it
// from the system; the tests fill it with string streams.

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/fleet/ServiceManager.h"
#include "cli/fleet/SystemJournal.h"
#include "cli/host/Host.h"
#include "cli/output/ProgressSink.h"
#include "cli/update/InterruptHold.h"
#include "seams/Resources.h"
#include "sim/VirtualMachine.h"

struct CliEnvironment {
  CliEnvironment(std::istream& input, std::ostream& output, std::ostream& errors)
      : in(input), out(output), err(errors) {}

  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  // The progress of `out` (the output pump's, where the program's output
  // goes through it); when null, progress is written to `out` as it comes.
  ProgressSink* outProgress = nullptr;
  bool outIsTerminal = false;
  // The terminal's width, where standard output is one.
  size_t columns = 80;
  // Seconds on a steady clock, for the time left on the progress bar.
  std::function<double()> seconds;
  // The real machine; when it is missing, only --simulate works.
  std::function<std::unique_ptr<Host>()> systemHost;
  // The program's resources, where the simulated machine's update takes the
  // firmware image from.
  Resources* resources = nullptr;
  // Called with the simulated machine once it is built, before any command.
  std::function<void(VirtualMachine&)> onSimulation;
  // The system's guards (an enclosure's lock, the system kept awake) for a
  // machine that brings none of its own (a simulated one); when null, locks
  // hold within the process only.
  SystemGuards* guards = nullptr;
  // The update history: where it lives on this machine, and the file named
  // by TQ214_HISTORY, which also simulated and replayed runs write.
  std::string historyPath;
  std::string historyOverride;
  // Holds stop requests while an update writes; none when null.
  InterruptHold* hold = nullptr;
  // Waits until what the run printed has been written, or its output failed
  // (the program's output goes through a thread of its own); none when null.
  std::function<void()> drain;
  // The system journal, which each update attempt on this machine's
  // enclosures is logged to, and simulated and replayed ones only when
  // TQ214_JOURNAL=1 asks (`journalAlways`); none when null.
  SystemJournal* journal = nullptr;
  bool journalAlways = false;
  // The service manager, which a watch tells of its state when one started
  // the program; null where the platform talks to none.
  ServiceManager* service = nullptr;
};

// Runs tq214 with `args` (without the program name); returns the exit code.
int RunCli(const std::vector<std::string>& args, CliEnvironment& env);
