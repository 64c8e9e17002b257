#pragma once
// The results of `update --all` and `watch`: the table at the end, the JSON
// rows, and the exit code they make.

#include <string>
#include <vector>

#include "cli/Examine.h"
#include "cli/JsonWriter.h"

// The table: device, places, firmware before, result, seconds.
std::string SummaryTable(const std::vector<StationRow>& rows, const char* placesLabel);
void WriteRows(JsonWriter& json, const std::vector<StationRow>& rows, const char* placesKey);
// 0 when every TBR640 ended PASS or up to date, else 1.
int StationExitCode(const std::vector<StationRow>& rows);
