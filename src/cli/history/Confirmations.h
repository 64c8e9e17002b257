#pragma once
// Which update each confirmation in the history confirms, gathered in a first
// reading (of the lines that name a confirmation only) so that a second can
// show each update with its confirmation merged in, without holding the
// history: a confirmation confirms the update of the same enclosure (serial
// number and device) made at the time it names, read before it. Holds the
// confirmations, never the rest.

#include <cstddef>
#include <map>
#include <string>
#include <tuple>

#include "cli/history/HistoryEntry.h"

class Confirmations {
 public:
  // The text every line of a confirmation holds: others need not be read.
  static constexpr const char* kMark = "confirmation";

  // Each confirmation of the first reading, in order, with its line's number.
  void Take(size_t line, const HistoryEntry& entry);
  // The update of `line` as `history` shows it: what runs after it, whether
  // that was confirmed, and "updated" the time of the confirmation.
  void MergeInto(size_t line, HistoryEntry* update) const;

 private:
  struct Confirmation {
    size_t line = 0;
    std::string time;
    std::string firmwareAfter;
    bool confirmed = false;
  };
  // By serial number, device and the time of the update confirmed.
  std::map<std::tuple<std::string, std::string, std::string>, Confirmation> found_;
};
