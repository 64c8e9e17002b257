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
