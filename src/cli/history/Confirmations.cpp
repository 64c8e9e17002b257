#include "cli/history/Confirmations.h"

void Confirmations::Take(size_t line, const HistoryEntry& entry) {
  if (entry.kind != "confirmation") return;
  found_[{entry.serial, entry.device, entry.updated}] = {line, entry.time, entry.firmwareAfter,
                                                         entry.confirmed};
}

void Confirmations::MergeInto(size_t line, HistoryEntry* update) const {
  const auto found = found_.find({update->serial, update->device, update->time});
  if (found == found_.end() || found->second.line < line) return;
  update->firmwareAfter = found->second.firmwareAfter;
  update->confirmed = found->second.confirmed;
  update->updated = found->second.time;  // when it was confirmed
}
