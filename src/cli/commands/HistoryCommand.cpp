// tq214 history: the updates this machine made, oldest first, each with what
// the enclosure ran before and what came of it, and, where it was confirmed
// after reconnecting, what it ran then.

#include <cstdio>
#include <string>
#include <vector>

#include "IDEAccess/AsciiCase.h"
#include "cli/CommandRun.h"
#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/CandidateReport.h"
#include "cli/fleet/HistoryMetrics.h"
#include "cli/history/HistoryFile.h"

namespace {

// Puts each confirmation into the update it confirms: the latest earlier
// update of the same enclosure made at the time it names.
std::vector<HistoryEntry> Merged(const std::vector<HistoryEntry>& entries) {
  std::vector<HistoryEntry> updates;
  for (const HistoryEntry& entry : entries) {
    if (entry.kind == "update") {
      updates.push_back(entry);
      continue;
    }
    for (auto it = updates.rbegin(); it != updates.rend(); ++it) {
      if (it->time != entry.updated || it->serial != entry.serial || it->device != entry.device) {
        continue;
      }
      it->kind = "update";
      it->firmwareAfter = entry.firmwareAfter;
      it->confirmed = entry.confirmed;
      it->updated = entry.time;  // when it was confirmed
      break;
    }
  }
  return updates;
}

std::string Line(const HistoryEntry& entry) {
  std::string line = entry.time + "  " + SerialText(entry.serial) + "  " +
                     (entry.firmwareBefore.empty() ? "-" : entry.firmwareBefore);
  if (!entry.firmwareAfter.empty() || !entry.updated.empty()) {
    line += " -> " + (entry.firmwareAfter.empty() ? "?" : entry.firmwareAfter) +
            (entry.confirmed ? " (confirmed)" : " (not confirmed)");
  }
  line += "  " + entry.result;
  if (!entry.reason.empty()) line += ": " + entry.reason;
  if (entry.result == "PASS" || entry.result == "FAIL") {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "  %.1f s", entry.seconds);
    line += seconds;
  }
  return line;
}

}  // namespace

int RunHistory(CommandRun& run) {
  const std::string path =
      !run.env.historyOverride.empty() ? run.env.historyOverride : run.env.historyPath;
  run.json.Member("file", path);
  if (path.empty()) {
    return run.Fail(kExitFailure, "this machine has no place for the update history");
  }
  const HistoryRead read = ReadHistory(path);
  if (!read.error.empty()) {
    return run.Fail(kExitFailure,
                    "the update history " + path + " cannot be read (" + read.error + ")");
  }
  for (const std::string& damaged : read.damaged) {
    std::string note = path;
    note.append(": ").append(damaged).append("; skipped");
    run.Note(note);
  }
  const std::string wanted = !run.args.serial.empty() && run.args.serial[0] == '#'
                                 ? run.args.serial.substr(1)
                                 : run.args.serial;
  if (run.args.prometheus) {
    std::vector<HistoryEntry> chosen;
    for (const HistoryEntry& entry : read.entries) {
      if (wanted.empty() || EqualsIgnoringAsciiCase(wanted, entry.serial)) chosen.push_back(entry);
    }
    run.text() << PrometheusText(chosen);
    return kExitSuccess;
  }
  run.json.Key("entries").BeginArray();
  size_t shown = 0;
  for (const HistoryEntry& entry : Merged(read.entries)) {
    if (!wanted.empty() && !EqualsIgnoringAsciiCase(wanted, entry.serial)) continue;
    ++shown;
    run.text() << EscapeControlBytes(Line(entry)) << '\n';
    WriteHistoryEntry(run.json, entry);
  }
  run.json.EndArray();
  if (shown == 0) {
    run.text() << (read.found ? "No update recorded" : "No update recorded yet")
               << (wanted.empty() ? "" : " for that serial number") << " ("
               << EscapeControlBytes(path) << ").\n";
  }
  return kExitSuccess;
}
