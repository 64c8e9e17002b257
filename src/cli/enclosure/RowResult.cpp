#include "cli/enclosure/RowResult.h"

const char* ResultText(RowResult result) {
  switch (result) {
    case RowResult::kNone:
      return "";
    case RowResult::kPass:
      return "PASS";
    case RowResult::kFail:
      return "FAIL";
    case RowResult::kSkipped:
      return "skipped";
    case RowResult::kUpToDate:
      return "up to date";
    case RowResult::kRefused:
      return "refused";
    case RowResult::kUpdateNeeded:
      return "update needed";
  }
  return "";
}

RowResult ResultNamed(const std::string& text) {
  for (const RowResult result :
       {RowResult::kPass, RowResult::kFail, RowResult::kSkipped, RowResult::kUpToDate,
        RowResult::kRefused, RowResult::kUpdateNeeded}) {
    if (text == ResultText(result)) return result;
  }
  return RowResult::kNone;
}
