#pragma once
// The update history as metrics, in Prometheus' text format, for the node
// exporter's textfile collector (`tq214 history --prometheus`):
//
//   tq214_last_update_result{serial}             1 PASS, 0 FAIL
//   tq214_last_update_timestamp_seconds{serial}  when that update was made
//   tq214_firmware_info{serial,version}          1
//   tq214_updates_total{result}                  PASS, FAIL, refused, skipped
//   tq214_awaiting_reconnection{serial}          1 passed, its new firmware
//                                                not seen running yet; else 0
//
// An enclosure's last update is its latest that wrote (PASS or FAIL):
// refused and skipped attempts, up to date ones among them, wrote nothing and
// leave it as it was. Its firmware is the version last read from it: before
// each attempt, and after reconnecting where a confirmation says what runs.
// The totals count every attempt, confirmations not. An enclosure is known by
// its serial number; one without by its USB port where the history has it,
// else by its device, as label "place" beside an empty serial.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/enclosure/RowResult.h"
#include "cli/history/HistoryEntry.h"

// The metrics of the entries added (oldest first), holding only what each
// enclosure needs, not the entries: a history read as a stream.
class HistoryMetrics {
 public:
  // Serial number and place.
  using UnitKey = std::pair<std::string, std::string>;

  void Add(const HistoryEntry& entry);
  // Each family with # HELP and # TYPE, ending with a newline.
  std::string Text() const;

 private:
  // What the history says of one enclosure.
  struct UnitState {
    std::string lastResult;  // of the latest PASS or FAIL; "" before one
    std::string lastTime;    // and when it was made
    std::string firmware;    // the version last read from it
    bool awaiting = false;   // passed, and not back since
  };
  std::map<UnitKey, UnitState> units_;
  std::map<std::string, long long> totals_ = {{ResultText(RowResult::kPass), 0},
                                              {ResultText(RowResult::kFail), 0},
                                              {ResultText(RowResult::kRefused), 0},
                                              {ResultText(RowResult::kSkipped), 0}};
};

// The metrics of `entries` (oldest first).
std::string PrometheusText(const std::vector<HistoryEntry>& entries);

// `text` as a label value: backslash, double quote and line feed escaped.
std::string PrometheusLabelValue(const std::string& text);
