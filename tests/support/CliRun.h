#pragma once
// Runs tq214 in-process, as its main would, with the standard streams
// captured: what it wrote, what it ended with. Its JSON is also kept for the
// schema check when asked (JsonCapture.h).

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/capture/JsonCapture.h"
#include "embedded/EmbeddedResources.h"

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;

  // The lines written to standard output or standard error.
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> outLines() const { return Lines(out); }
  std::vector<std::string> errLines() const { return Lines(err); }
};

struct CliRunOptions {
  std::string input;                                  // what standard input holds
  std::function<void(VirtualMachine&)> onSimulation;  // a look at the simulated machine
  std::function<std::unique_ptr<Host>()> systemHost;  // the "real" machine, if any
  bool terminal = false;
  std::function<double()> seconds;
  InterruptHold* hold = nullptr;     // none: requests to stop are not held
  std::string historyPath;           // the machine's update history
  std::string historyOverride;       // TQ214_HISTORY
  SystemJournal* journal = nullptr;  // the system's journal, written as TQ214_JOURNAL=1 asks
  // Where standard output's progress goes; none: written to it as it comes.
  ProgressSink* progress = nullptr;
  // Given standard output before the run, for a look at it while it runs.
  std::function<void(const std::ostringstream&)> watchOutput;
};

inline CliRun RunTq214(const std::vector<std::string>& args, const CliRunOptions& options = {}) {
  static EmbeddedResources resources;
  std::istringstream in(options.input);
  std::ostringstream out;
  std::ostringstream err;
  CliEnvironment env(in, out, err);
  env.outIsTerminal = options.terminal;
  env.seconds = options.seconds;
  env.resources = &resources;
  env.onSimulation = options.onSimulation;
  env.systemHost = options.systemHost;
  env.hold = options.hold;
  env.historyPath = options.historyPath;
  env.historyOverride = options.historyOverride;
  env.journal = options.journal;
  env.journalAlways = options.journal != nullptr;
  env.outProgress = options.progress;
  if (options.watchOutput) options.watchOutput(out);
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  // The test program's own environment, read as the program's set-up reads
  // tq214's.
  const char* folder = std::getenv("TQ214_JSON_CAPTURE_DIR");
  const JsonCapture capture(
      folder == nullptr ? "" : folder, args, {options.historyOverride, options.historyPath},
      test == nullptr ? "no-test" : std::string(test->test_suite_name()) + "." + test->name());
  CliRun run;
  run.code = RunCli(args, env);
  run.out = out.str();
  run.err = err.str();
  capture.Keep(run.out);
  return run;
}
