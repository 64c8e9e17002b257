#pragma once
// --json=lines: what happens to each enclosure as it happens, one JSON object
// a line on standard output; the run's last line is the object --json gives.
// Each event is a flat object whose first members are "event" (its kind) and
// the enclosure's "path", "serial" and "place" (its first drive letter or
// mount point; null when it has none), so that enclosures updated side by
// side can be told apart:
//   start     an update begins: "firmwareBefore"
//   phase     writing, verifying or the configuration block begins:
//             "phase", "attempt"
//   progress  at most every 5 percent of the whole update: "phase", "percent"
//   result    what came of it: "result" (PASS, FAIL, skipped, up to date,
//             ...), "reason" and "sense" ("" when none), "milliseconds"
// and, from a watch:
//   arrival       an enclosure was plugged in and read: "firmwareBefore"
//                 ("" when not read)
//   removal       it was unplugged
//   confirmation  one that passed came back: "confirmed" (its new firmware
//                 runs), "firmwareAfter"
// A progress line not shown yet gives way to the next of its enclosure
// (ProgressSink); the others are written whole. Safe across threads.

#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "cli/CommandRun.h"
#include "cli/JsonWriter.h"
#include "cli/enclosure/Examine.h"
#include "cli/output/ProgressSink.h"
#include "cli/update/Progress.h"

class UpdateEvents {
 public:
  // `progress`: the progress of `out`.
  UpdateEvents(std::ostream& out, ProgressSink& progress) : out_(out), progress_(progress) {}

  void Started(const ResultRow& row);
  void Ended(const ResultRow& row);
  void Arrived(const ResultRow& row);
  void Removed(const ResultRow& row);
  void Confirmed(const ResultRow& row);
  // The update's progress as phase and progress events.
  std::unique_ptr<ProgressView> ViewOf(const ResultRow& row);

 private:
  class View;
  // Begins `event`'s object with its kind and the enclosure.
  static JsonWriter& Begin(JsonWriter& event, const char* kind, const ResultRow& row);
  // An event whose one member of its own is the firmware before.
  void WithFirmwareBefore(const char* kind, const ResultRow& row);
  // Writes the ended object; progress under `progressKey`, when given.
  void Write(JsonWriter& event, const std::string& progressKey = "");

  std::mutex lock_;
  std::ostream& out_;
  ProgressSink& progress_;
};

// The run's events, or none without --json=lines.
std::unique_ptr<UpdateEvents> JsonLinesOf(CommandRun& run);
