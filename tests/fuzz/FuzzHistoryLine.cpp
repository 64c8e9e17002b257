// Any bytes as a line of the update history: a line read without the
// general JSON parser gives the members that parser gives; a line read as an
// update or confirmation is written back as a line that reads the same.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/history/FlatJson.h"
#include "cli/history/HistoryEntry.h"

namespace {

FlatMembers Sorted(FlatMembers members) {
  std::sort(members.begin(), members.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return members;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  FlatMembers direct;
  if (ReadFlatObject(line, &direct)) {
    const auto general = nlohmann::json::parse(line, nullptr, false);
    if (!general.is_object() || Sorted(direct) != Sorted(FlatMembersOf(general))) __builtin_trap();
  }
  HistoryEntry entry;
  std::string error;
  if (!ParseHistoryLine(line, &entry, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  const std::string written = HistoryLine(entry);
  HistoryEntry again;
  if (!ParseHistoryLine(written, &again, &error) || HistoryLine(again) != written) __builtin_trap();
  return 0;
}
