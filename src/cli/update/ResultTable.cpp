#include "cli/update/ResultTable.h"

#include <algorithm>
#include <cstdio>

#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"

namespace {

std::string Places(const std::vector<std::string>& places) {
  std::string text;
  for (const std::string& place : places) {
    text += (text.empty() ? "" : ", ") + EscapeDeviceText(place);
  }
  return text.empty() ? "-" : text;
}

}  // namespace

std::string ResultTableText(const std::vector<ResultRow>& rows, const char* placesLabel) {
  std::vector<std::vector<std::string>> cells = {
      {"device", placesLabel, "firmware before", "result", "seconds"}};
  for (const ResultRow& row : rows) {
    char seconds[16] = "-";
    if (row.result == "PASS" || row.result == "FAIL") {
      std::snprintf(seconds, sizeof seconds, "%.1f", row.seconds);
    }
    const std::string result =
        row.reason.empty() ? row.result : row.result + ": " + EscapeControlBytes(row.reason);
    cells.push_back({EscapeControlBytes(row.device), Places(row.places),
                     row.firmwareBefore.empty() ? "-" : row.firmwareBefore, result, seconds});
  }
  std::vector<size_t> widths(cells.front().size(), 0);
  for (const auto& line : cells) {
    for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], line[i].size());
  }
  std::string table;
  for (const auto& line : cells) {
    std::string text;
    for (size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text += std::string(widths[i] - line[i].size() + 2, ' ');
    }
    table += text + "\n";
  }
  return table;
}

void WriteResultRows(JsonWriter& json, const std::vector<ResultRow>& rows, const char* placesKey) {
  json.Key("devices").BeginArray();
  for (const ResultRow& row : rows) {
    json.BeginObject()
        .Member("path", row.device)
        .Member(placesKey, row.places)
        .Member("firmwareBefore", row.firmwareBefore)
        .Member("result", row.result)
        .Member("reason", row.reason)
        .Member("milliseconds", static_cast<int64_t>(row.seconds * 1000))
        .EndObject();
  }
  json.EndArray();
}

int ResultsExitCode(const std::vector<ResultRow>& rows) {
  const bool allGood = std::all_of(rows.begin(), rows.end(), [](const ResultRow& row) {
    return !row.counts || row.result == "PASS" || row.result == "up to date";
  });
  return allGood ? kExitSuccess : kExitFailure;
}
