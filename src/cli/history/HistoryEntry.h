#pragma once
// One line of the update history: one enclosure, one attempt, what it was
// before and what came of it; or the confirmation, after the enclosure was
// reconnected, of an update that passed. Each is one JSON object on a line of
// its own.

#include <string>

#include "cli/JsonWriter.h"

struct HistoryEntry {
  std::string kind = "update";  // "update", or "confirmation" of an earlier one
  std::string time;             // UTC, ISO 8601: "2026-12-07T16:40:36Z"
  std::string tool;             // the tool's version
  std::string imageSha256;      // of the firmware image it carries
  std::string device;           // the path, as shown
  std::string serial;           // "" when the enclosure has none
  std::string port;             // without a serial number: the USB port it was in
  std::string vid, pid;         // "6B21", "0640"; "" when not read
  std::string firmwareBefore;   // "21.32.0.2"; "" when not read
  std::string productBefore, diskBefore;
  std::string result;  // "PASS", "FAIL", "refused", "skipped"
  std::string reason;  // why, when not PASS
  double seconds = 0;
  // A confirmation: the attempt it confirms (its time), and what runs now.
  std::string updated;
  std::string firmwareAfter;
  bool confirmed = false;
};

// The line, without its end.
std::string HistoryLine(const HistoryEntry& entry);
// False for a line that is not one (`error` says why): not a JSON object, a
// later format, a member of another type, a time not in the form the history
// writes, a result outside the known four, milliseconds that are not a whole
// number within 49 days.
bool ParseHistoryLine(const std::string& line, HistoryEntry* entry, std::string* error);
// As a JSON object without "format", for `history --json`.
std::string HistoryEntryJson(const HistoryEntry& entry);

// True for a time in the form the history writes, "2026-12-07T16:40:36Z",
// that names a second of the calendar.
bool IsHistoryTime(const std::string& time);
// Now, in UTC, as the history writes it; from any thread.
std::string UtcTimestamp();
// `seconds` since 1970 in UTC, ISO 8601.
std::string UtcTimestampOf(long long seconds);
