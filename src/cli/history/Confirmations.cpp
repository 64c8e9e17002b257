#include "cli/history/Confirmations.h"

void Confirmations::Take(size_t line, const HistoryEntry& entry) {
  const std::pair<std::string, std::string> unit{entry.serial, entry.device};
  if (entry.kind == "update") {
    latest_[unit] = {line, entry.time};
    return;
  }
  const auto update = latest_.find(unit);
  if (update == latest_.end() || update->second.time != entry.updated) return;
  found_[update->second.line] = {entry.time, entry.firmwareAfter, entry.confirmed};
}

void Confirmations::MergeInto(size_t line, HistoryEntry* update) const {
  const auto found = found_.find(line);
  if (found == found_.end()) return;
  update->firmwareAfter = found->second.firmwareAfter;
  update->confirmed = found->second.confirmed;
  update->updated = found->second.time;  // when it was confirmed
}
