#include "cli/history/HistoryEntry.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/enclosure/RowResult.h"
#include "cli/history/FlatJson.h"

namespace {

// The general parser, for the lines the flat reader leaves to it.
using Json = nlohmann::json;

// The text members, in the order they are written; read back by name.
struct TextMember {
  const char* name;
  std::string HistoryEntry::*field;
};
const TextMember kTexts[] = {
    {"kind", &HistoryEntry::kind},
    {"time", &HistoryEntry::time},
    {"tool", &HistoryEntry::tool},
    {"imageSha256", &HistoryEntry::imageSha256},
    {"device", &HistoryEntry::device},
    {"serial", &HistoryEntry::serial},
    {"port", &HistoryEntry::port},
    {"vid", &HistoryEntry::vid},
    {"pid", &HistoryEntry::pid},
    {"firmwareBefore", &HistoryEntry::firmwareBefore},
    {"productBefore", &HistoryEntry::productBefore},
    {"diskBefore", &HistoryEntry::diskBefore},
    {"result", &HistoryEntry::result},
    {"reason", &HistoryEntry::reason},
    {"updated", &HistoryEntry::updated},
    {"firmwareAfter", &HistoryEntry::firmwareAfter},
};

constexpr size_t kTextCount = sizeof kTexts / sizeof kTexts[0];

// The members a line's reading looks at, each found once.
struct LineMembers {
  explicit LineMembers(FlatMembers* members) {
    for (auto& member : *members) {
      const std::string& name = member.first;
      if (name == "format") {
        format = &member.second;
      } else if (name == "milliseconds") {
        milliseconds = &member.second;
      } else if (name == "confirmed") {
        confirmed = &member.second;
      } else {
        for (size_t i = 0; i < kTextCount; ++i) {
          if (name == kTexts[i].name) {
            texts[i] = &member.second;
            break;
          }
        }
      }
    }
  }
  FlatValue* format = nullptr;
  FlatValue* milliseconds = nullptr;
  FlatValue* confirmed = nullptr;
  FlatValue* texts[kTextCount] = {};
};

// The longest attempt a line may say it took, in milliseconds (49 days).
constexpr uint64_t kMaxMilliseconds = 0xFFFFFFFF;

bool IsDigits(const std::string& text, size_t at, size_t count) {
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int NumberAt(const std::string& text, size_t at, size_t count) {
  int value = 0;
  for (size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// Why the members read are not a line of the history; "" when they are one.
std::string Unfit(const HistoryEntry& entry) {
  if (entry.time.empty() || (entry.kind != "update" && entry.kind != "confirmation")) {
    return "no time or kind";
  }
  if (!IsHistoryTime(entry.time)) return "'time' is not a time as the history writes it";
  if (entry.kind == "confirmation" && !IsHistoryTime(entry.updated)) {
    return "'updated' is not a time as the history writes it";
  }
  const RowResult result = ResultNamed(entry.result);
  const bool known = result == RowResult::kPass || result == RowResult::kFail ||
                     result == RowResult::kRefused || result == RowResult::kSkipped;
  if (!known && (entry.kind == "update" || !entry.result.empty())) {
    return "result '" + entry.result + "' is not PASS, FAIL, refused or skipped";
  }
  return "";
}

// The entry's members, in the object begun for it.
void WriteMembers(FlatObjectWriter& json, const HistoryEntry& entry) {
  for (const TextMember& member : kTexts) {
    const std::string& value = entry.*member.field;
    if (member.field == &HistoryEntry::serial) {
      json.MemberOrNull(member.name, value);
    } else if (!value.empty()) {
      json.Member(member.name, value);
    }
  }
  if (entry.kind == "update") {
    json.Member("milliseconds", JsonMilliseconds(entry.seconds));
  }
  // A confirmation, or an update that one was merged into (`history`).
  if (entry.kind != "update" || !entry.updated.empty()) {
    json.Member("confirmed", entry.confirmed);
  }
}

}  // namespace

std::string HistoryLine(const HistoryEntry& entry) {
  FlatObjectWriter json;
  json.Member("format", int64_t{kJsonFormat});
  WriteMembers(json, entry);
  return json.text();
}

std::string HistoryEntryJson(const HistoryEntry& entry) {
  FlatObjectWriter json;
  WriteMembers(json, entry);
  return json.text();
}

bool ParseHistoryLine(const std::string& line, HistoryEntry* entry, std::string* error) {
  FlatMembers members;
  if (!ReadFlatObject(line, &members)) {
    const Json value = Json::parse(line, nullptr, false);
    if (!value.is_object()) {
      *error = "not a JSON object";
      return false;
    }
    members = FlatMembersOf(value);
  }
  LineMembers found(&members);
  // A line without "format" was written before there was one, in the shape
  // of format 1; a later format may mean other things by the same names.
  if (found.format != nullptr && found.format->kind != FlatValue::Kind::kWhole) {
    *error = "'format' is not a format number";
    return false;
  }
  if (found.format != nullptr && found.format->whole > kJsonFormat) {
    *error = "format " + std::to_string(found.format->whole) + ", newer than this tool reads (" +
             std::to_string(kJsonFormat) + ")";
    return false;
  }
  *entry = HistoryEntry{};
  for (size_t i = 0; i < kTextCount; ++i) {
    FlatValue* value = found.texts[i];
    if (value == nullptr || value->kind == FlatValue::Kind::kNull) continue;
    if (value->kind != FlatValue::Kind::kText) {
      *error = std::string("'") + kTexts[i].name + "' is not a text";
      return false;
    }
    entry->*kTexts[i].field = std::move(value->text);
  }
  *error = Unfit(*entry);
  if (!error->empty()) return false;
  if (const FlatValue* ms = found.milliseconds) {
    if (ms->kind != FlatValue::Kind::kWhole || ms->whole > kMaxMilliseconds) {
      *error = "'milliseconds' is not a whole number from 0 to " + std::to_string(kMaxMilliseconds);
      return false;
    }
    entry->seconds = static_cast<double>(ms->whole) / 1000;
  }
  entry->confirmed = found.confirmed != nullptr && found.confirmed->kind == FlatValue::Kind::kTrue;
  return true;
}

bool IsHistoryTime(const std::string& time) {
  // "2026-12-07T16:40:36Z"
  if (time.size() != 20 || !IsDigits(time, 0, 4) || time[4] != '-' || !IsDigits(time, 5, 2) ||
      time[7] != '-' || !IsDigits(time, 8, 2) || time[10] != 'T' || !IsDigits(time, 11, 2) ||
      time[13] != ':' || !IsDigits(time, 14, 2) || time[16] != ':' || !IsDigits(time, 17, 2) ||
      time[19] != 'Z') {
    return false;
  }
  const int year = NumberAt(time, 0, 4), month = NumberAt(time, 5, 2), day = NumberAt(time, 8, 2);
  if (month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int days = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= days && NumberAt(time, 11, 2) < 24 && NumberAt(time, 14, 2) < 60 &&
         NumberAt(time, 17, 2) < 60;
}

std::string UtcTimestampOf(long long seconds) {
  // Days since 1970 to a civil date (proleptic Gregorian), without gmtime's
  // shared buffer.
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[128];  // room for any year the arithmetic can give
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", year, month, day,
                rest / 3600, rest / 60 % 60, rest % 60);
  return text;
}

std::string UtcTimestamp() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return UtcTimestampOf(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}
