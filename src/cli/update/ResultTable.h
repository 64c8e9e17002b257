#pragma once
// The results of `update --all` and `watch`: the table at the end, the JSON
// rows, and the exit code they make.

#include <string>
#include <vector>

#include "cli/JsonWriter.h"
#include "cli/enclosure/Examine.h"

// The table: the enclosure by its places and serial number, firmware before,
// seconds and the result, within 100 columns while the reasons are short (a
// longer one goes on under its row).
std::string ResultTableText(const std::vector<ResultRow>& rows);
void WriteResultRows(JsonWriter& json, const std::vector<ResultRow>& rows, const char* placesKey);
// 0 when every TBR640 ended PASS or up to date, else 1.
int ResultsExitCode(const std::vector<ResultRow>& rows);
