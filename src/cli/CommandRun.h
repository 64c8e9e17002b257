#pragma once
// One run of a command: the environment, the arguments, the machine, and the
// result being put together. In text mode results go to standard output as
// they come; with --json they collect in one object printed at the end, with
// "format" and "command" ("list", "update --all") as its first members and
// the error (if any) and the exit code as its last. Errors are also
// one line on standard error either way.

#include <functional>
#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "cli/CliEnvironment.h"
#include "cli/JsonWriter.h"
#include "cli/fleet/UpdateJournal.h"
#include "cli/history/HistoryFile.h"
#include "cli/host/AccessLog.h"
#include "cli/host/Host.h"
#include "cli/output/ProgressSink.h"

class RecordHold;

class CommandRun {
 public:
  CommandRun(CliEnvironment& env, const CliArguments& args, Host& host, AccessLog& access,
             const std::string& command);

  CliEnvironment& env;
  const CliArguments& args;
  Host& host;
  AccessLog& access;
  JsonWriter json;                 // the result document, begun with its "command" member
  HistoryFile* history = nullptr;  // where updates are recorded; none when null
  // Where each update attempt is logged besides: the system journal.
  UpdateJournal* journal = nullptr;

  bool jsonMode() const { return args.json; }
  // Text output; nothing reaches the terminal from it in JSON mode.
  std::ostream& text();
  // The progress of standard output (env.out): the environment's, or written
  // to it as it comes when the environment has none.
  ProgressSink& outProgress();
  // The progress of text(), chosen as text() is.
  ProgressSink& textProgress();

  // Reports an error: one line "tq214: message" on standard error, and the
  // "error" member in JSON. Returns `code`.
  int Fail(int code, const std::string& message);
  // A note on standard error that does not end the run.
  void Note(const std::string& message);

  // Stops the run's output here: `message` is said as the error (one line,
  // and "error" in JSON) and nothing else is printed from now on; the run
  // ends with exit code 1. Later calls change nothing.
  void Halt(const std::string& message);
  bool halted() const { return halted_; }

  // The hold of stop requests that lasts until the run's record is written;
  // none when null.
  RecordHold* recordHold = nullptr;
  // What the updates so far did is written down: requests to stop are let
  // through again (or taken as the sign to end, where the run said so). The
  // run's end lets go of them at the latest, once its result is written.
  void RecordWritten();
  // JSON: a member whose value is written when the object is printed, by
  // `write`, straight to the output and a piece at a time, never held whole
  // (`history --json` of a long history). One per run.
  void StreamMember(const std::string& name, std::function<void(std::ostream&)> write);

  // Ends the JSON object and prints it; returns `code` (1 after Halt).
  int Finish(int code);

 private:
  std::string streamedName_;
  std::function<void(std::ostream&)> streamed_;
  bool halted_ = false;
  std::string error_;
  std::ostream discard_;
  StreamProgress plainOut_;
  StreamProgress discardProgress_;
};
