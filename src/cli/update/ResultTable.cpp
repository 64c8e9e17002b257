#include "cli/update/ResultTable.h"

#include <algorithm>
#include <cstdio>

#include "cli/ExitCodes.h"
#include "cli/enclosure/RowResult.h"
#include "cli/text/DeviceText.h"

namespace {

// The table fits this many columns while the reasons are short; a longer
// reason goes on under its row, in the result's column.
constexpr size_t kTableWidth = 100;

// `text` in lines of at most `width` characters, broken at blanks where it
// can be.
std::vector<std::string> Wrapped(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (text.size() - start > width) {
    size_t cut = text.rfind(' ', start + width);
    if (cut == std::string::npos || cut <= start) cut = start + width;
    lines.push_back(text.substr(start, cut - start));
    start = text[cut] == ' ' ? cut + 1 : cut;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::string ResultTableText(const std::vector<ResultRow>& rows) {
  // Enclosure, firmware before, seconds, then the result, which may be long.
  std::vector<std::vector<std::string>> cells = {
      {"enclosure", "firmware before", "seconds", "result"}};
  for (const ResultRow& row : rows) {
    char seconds[16] = "-";
    if (row.result == RowResult::kPass || row.result == RowResult::kFail) {
      std::snprintf(seconds, sizeof seconds, "%.1f", row.seconds);
    }
    std::string result = ResultLine(row);
    if (row.confirmed) result += " (confirmed, running " + row.firmwareAfter + ")";
    cells.push_back({EscapeControlBytes(row.name),
                     row.firmwareBefore.empty() ? "-" : row.firmwareBefore, seconds,
                     EscapeControlBytes(result)});
  }
  std::vector<size_t> widths(cells.front().size(), 0);
  for (const auto& line : cells) {
    for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], line[i].size());
  }
  size_t resultColumn = 0;
  for (size_t i = 0; i + 1 < widths.size(); ++i) resultColumn += widths[i] + 2;
  const size_t resultWidth = kTableWidth > resultColumn + 20 ? kTableWidth - resultColumn : 20;
  std::string table;
  for (const auto& line : cells) {
    std::string text;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
      text += line[i] + std::string(widths[i] - line[i].size() + 2, ' ');
    }
    const std::vector<std::string> result = Wrapped(line.back(), resultWidth);
    table += text + result.front() + "\n";
    for (size_t i = 1; i < result.size(); ++i) {
      table += std::string(resultColumn, ' ') + result[i] + "\n";
    }
  }
  return table;
}

void WriteResultRows(JsonWriter& json, const std::vector<ResultRow>& rows, const char* placesKey) {
  json.Key("devices").BeginArray();
  for (const ResultRow& row : rows) {
    json.BeginObject()
        .Member("path", row.device)
        .MemberOrNull("serial", row.serial)
        .Member(placesKey, row.places)
        .Member("firmwareBefore", row.firmwareBefore)
        .Member("result", ResultText(row.result))
        .Member("reason", row.reason)
        .Member("sense", row.sense)
        .Member("milliseconds", JsonMilliseconds(row.seconds))
        .Member("confirmed", row.confirmed)
        .EndObject();
  }
  json.EndArray();
}

int ResultsExitCode(const std::vector<ResultRow>& rows) {
  const bool allGood = std::all_of(rows.begin(), rows.end(), [](const ResultRow& row) {
    return !row.counts || row.result == RowResult::kPass || row.result == RowResult::kUpToDate;
  });
  return allGood ? kExitSuccess : kExitFailure;
}
