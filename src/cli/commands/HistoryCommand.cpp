// tq214 history: the updates this machine made, oldest first, each with what
// the enclosure ran before and what came of it, and, where it was confirmed
// after reconnecting, what it ran then. The file is read as a stream, twice
// (the lines of confirmations, then every line), never held.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/CommandRun.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/CandidateReport.h"
#include "cli/enclosure/RowResult.h"
#include "cli/fleet/HistoryMetrics.h"
#include "cli/history/Confirmations.h"
#include "cli/history/HistoryFile.h"
#include "cli/text/DeviceText.h"
#include "seams/AsciiCase.h"

namespace {

std::string Line(const HistoryEntry& entry) {
  std::string line = entry.time + "  " + SerialText(entry.serial) + "  " +
                     (entry.firmwareBefore.empty() ? "-" : entry.firmwareBefore);
  if (!entry.firmwareAfter.empty() || !entry.updated.empty()) {
    line += " -> " + (entry.firmwareAfter.empty() ? "?" : entry.firmwareAfter) +
            (entry.confirmed ? " (confirmed)" : " (not confirmed)");
  }
  line += "  " + entry.result;
  if (!entry.reason.empty()) line += ": " + entry.reason;
  const RowResult result = ResultNamed(entry.result);
  if (result == RowResult::kPass || result == RowResult::kFail) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "  %.1f s", entry.seconds);
    line += seconds;
  }
  return line;
}

// How much of a long listing is gathered before it goes to the output: one
// hand-over per piece, not per line.
constexpr size_t kPieceBytes = size_t{64} << 10;

// The history's updates as `history` shows them, oldest first, each with its
// confirmation merged in, read a second time (the first gathered the
// confirmations): `show` is given each of them that `wanted` names, and
// `damaged` each damaged line.
void ShowUpdates(const std::string& path, const std::string& wanted,
                 const Confirmations& confirmations,
                 const std::function<void(const HistoryEntry&)>& show,
                 const DamagedLineTaker& damaged) {
  ScanHistory(
      path,
      [&](size_t line, HistoryEntry&& entry) {
        if (entry.kind != "update") return;
        if (!wanted.empty() && !EqualsIgnoringAsciiCase(wanted, entry.serial)) return;
        confirmations.MergeInto(line, &entry);
        show(entry);
      },
      damaged);
}

void NoteDamaged(CommandRun& run, const std::string& path, const DamagedLine& line) {
  run.Note(path + ": line " + std::to_string(line.line) + ": " + line.reason + "; skipped");
}

std::string SkippedJson(const std::vector<DamagedLine>& damaged) {
  JsonWriter json;
  json.BeginArray();
  for (const DamagedLine& line : damaged) {
    json.BeginObject()
        .Member("line", static_cast<int64_t>(line.line))
        .Member("reason", line.reason)
        .EndObject();
  }
  return json.EndArray().text();
}

// --json: the entries, then the lines skipped, which the same reading finds,
// streamed a piece at a time.
void StreamEntries(CommandRun& run, const std::string& path, const std::string& wanted,
                   std::shared_ptr<const Confirmations> confirmations) {
  run.StreamMember(
      "entries", [&run, path, wanted, confirmations = std::move(confirmations)](std::ostream& out) {
        std::string pieces = "[";
        bool first = true;
        std::vector<DamagedLine> skipped;
        ShowUpdates(
            path, wanted, *confirmations,
            [&](const HistoryEntry& entry) {
              if (!first) pieces += ',';
              first = false;
              pieces += HistoryEntryJson(entry);
              if (pieces.size() < kPieceBytes) return;
              out << pieces << std::flush;
              pieces.clear();
            },
            [&](DamagedLine&& line) {
              NoteDamaged(run, path, line);
              skipped.push_back(std::move(line));
            });
        out << pieces << "],\"skipped\":" << SkippedJson(skipped);
      });
}

// Text: a line per update, or why there is none. `found`: the file exists.
void ShowLines(CommandRun& run, const std::string& path, const std::string& wanted,
               const Confirmations& confirmations, bool found) {
  size_t shown = 0;
  std::string pieces;
  ShowUpdates(
      path, wanted, confirmations,
      [&run, &shown, &pieces](const HistoryEntry& entry) {
        ++shown;
        pieces += EscapeControlBytes(Line(entry));
        pieces += '\n';
        if (pieces.size() < kPieceBytes) return;
        run.text() << pieces;
        pieces.clear();
      },
      [&run, &path](DamagedLine&& line) { NoteDamaged(run, path, line); });
  run.text() << pieces;
  if (shown == 0) {
    run.text() << (found ? "No update recorded" : "No update recorded yet")
               << (wanted.empty() ? "" : " for that serial number") << " ("
               << EscapeControlBytes(path) << ").\n";
  }
}

}  // namespace

int RunHistory(CommandRun& run) {
  const std::string path =
      !run.env.historyOverride.empty() ? run.env.historyOverride : run.env.historyPath;
  run.json.Member("file", path);
  if (path.empty()) {
    return run.Fail(kExitFailure, "this machine has no place for the update history");
  }
  const std::string wanted = !run.args.serial.empty() && run.args.serial[0] == '#'
                                 ? run.args.serial.substr(1)
                                 : run.args.serial;
  // The first reading: the metrics, reading every line, or the
  // confirmations, reading only the lines that name one.
  const bool metricsOnly = run.args.prometheus;
  HistoryMetrics metrics;
  auto confirmations = std::make_shared<Confirmations>();
  std::vector<DamagedLine> damaged;
  const HistoryRead read = ScanHistory(
      path,
      [&](size_t line, HistoryEntry&& entry) {
        if (!wanted.empty() && !EqualsIgnoringAsciiCase(wanted, entry.serial)) return;
        if (metricsOnly) {
          metrics.Add(entry);
        } else {
          confirmations->Take(line, entry);
        }
      },
      [&damaged](DamagedLine&& line) { damaged.push_back(std::move(line)); },
      metricsOnly ? nullptr : Confirmations::kMark);
  if (!read.error.empty()) {
    return run.Fail(kExitFailure,
                    "the update history " + path + " cannot be read (" + read.error + ")");
  }
  if (metricsOnly) {
    for (const DamagedLine& line : damaged) NoteDamaged(run, path, line);
    run.text() << metrics.Text();
    return kExitSuccess;
  }
  if (run.jsonMode()) {
    StreamEntries(run, path, wanted, confirmations);
  } else {
    ShowLines(run, path, wanted, *confirmations, read.found);
  }
  return kExitSuccess;
}
