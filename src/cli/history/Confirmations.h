#pragma once
// Which update each confirmation in the history confirms, gathered in a first
// reading so that a second can show each update with its confirmation merged
// in, without holding the history: a confirmation confirms the latest update
// of the same enclosure (serial number and device) read before it, when that
// update was made at the time the confirmation names. Holds one update per
// enclosure and each confirmation found, never the rest.

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "cli/history/HistoryEntry.h"

class Confirmations {
 public:
  // Each entry of the first reading, in order, with its line's number.
  void Take(size_t line, const HistoryEntry& entry);
  // The update of `line` as `history` shows it: what runs after it, whether
  // that was confirmed, and "updated" the time of the confirmation.
  void MergeInto(size_t line, HistoryEntry* update) const;

 private:
  struct Latest {
    size_t line = 0;
    std::string time;
  };
  struct Confirmation {
    std::string time;
    std::string firmwareAfter;
    bool confirmed = false;
  };
  std::map<std::pair<std::string, std::string>, Latest> latest_;  // by serial and device
  std::unordered_map<size_t, Confirmation> found_;                // by the update's line
};
