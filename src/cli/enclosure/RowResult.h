#pragma once
// What became of an enclosure in a run, as its row carries it. The words the
// table, the JSON, the history and the journal show for each are spelled by
// ResultText alone.

#include <cstdint>
#include <string>

enum class RowResult : uint8_t {
  kNone,          // not settled yet: "" (one still to be updated)
  kPass,          // "PASS": written and verified
  kFail,          // "FAIL"
  kSkipped,       // "skipped": left alone (the reason says why)
  kUpToDate,      // "up to date"
  kRefused,       // "refused": update would not write it
  kUpdateNeeded,  // "update needed": a watch ended before updating it
};

const char* ResultText(RowResult result);
// The result whose text is `text` (a history entry's, read from its file);
// kNone when no result is spelled so.
RowResult ResultNamed(const std::string& text);
