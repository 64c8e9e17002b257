#include "cli/history/HistoryRecord.h"

#include "cli/enclosure/RowResult.h"
#include "embedded/FirmwareImageDigest.h"
#include "seams/ProgramVersion.h"

HistoryEntry EntryOf(const ResultRow& row) {
  HistoryEntry entry;
  entry.time = UtcTimestamp();
  entry.tool = kProgramVersionText;
  entry.imageSha256 = kFirmwareImageSha256;
  entry.device = row.device;
  entry.serial = row.serial;
  // An enclosure without a serial number is known by its port.
  if (row.serial.empty()) entry.port = row.port;
  entry.vid = row.vid;
  entry.pid = row.pid;
  entry.firmwareBefore = row.firmwareBefore;
  entry.productBefore = row.productBefore;
  entry.diskBefore = row.diskBefore;
  // One word for each way an enclosure was left alone ("update needed": a
  // watch that was ending when it arrived), the row's result its reason.
  const bool leftAlone =
      row.result == RowResult::kUpToDate || row.result == RowResult::kUpdateNeeded;
  entry.result = ResultText(leftAlone ? RowResult::kSkipped : row.result);
  entry.reason = leftAlone ? ResultText(row.result) : row.reason;
  entry.seconds = row.seconds;
  return entry;
}

Outcome OutcomeOf(const ResultRow& row) {
  if (row.result == RowResult::kPass) return Outcome::kPassed;
  if (row.result == RowResult::kFail) return Outcome::kFailed;
  if (row.result == RowResult::kUpToDate) return Outcome::kUpToDate;
  return row.forbidden ? Outcome::kRefused : Outcome::kSkipped;
}

std::string Record(CommandRun& run, const ResultRow& row) {
  const HistoryEntry entry = EntryOf(row);
  if (run.history != nullptr) run.history->Append(entry);
  if (run.journal != nullptr) run.journal->Log(entry, {OutcomeOf(row), row.port, row.sense});
  return entry.time;
}
