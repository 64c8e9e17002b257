#include "cli/fleet/HistoryMetrics.h"

#include <map>
#include <utility>

#include "cli/enclosure/RowResult.h"

namespace {

using UnitKey = HistoryMetrics::UnitKey;

UnitKey KeyOf(const HistoryEntry& entry) {
  if (!entry.serial.empty()) return {entry.serial, ""};
  return {"", entry.port.empty() ? entry.device : entry.port};
}

std::string Labels(const UnitKey& unit, const std::string& more = "") {
  std::string labels = "{serial=\"" + PrometheusLabelValue(unit.first) + "\"";
  if (unit.first.empty()) labels += ",place=\"" + PrometheusLabelValue(unit.second) + "\"";
  return labels + more + "}";
}

// "2026-12-07T16:40:36Z" in seconds since 1970; 0 for another form.
long long SecondsOf(const std::string& time) {
  constexpr char kForm[] = "dddd-dd-ddTdd:dd:ddZ";  // d: a digit
  if (time.size() != sizeof kForm - 1) return 0;
  for (size_t i = 0; i < time.size(); ++i) {
    const bool digit = time[i] >= '0' && time[i] <= '9';
    if (kForm[i] == 'd' ? !digit : time[i] != kForm[i]) return 0;
  }
  const auto number = [&time](size_t at, size_t count) {
    long long value = 0;
    for (size_t i = at; i < at + count; ++i) value = value * 10 + (time[i] - '0');
    return value;
  };
  const long long year = number(0, 4), month = number(5, 2), day = number(8, 2);
  if (month < 1 || month > 12) return 0;
  // Days since 1970 of a civil date (proleptic Gregorian).
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yearOfEra = y - era * 400;
  const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = era * 146097 + dayOfEra - 719468;
  return days * 86400 + number(11, 2) * 3600 + number(14, 2) * 60 + number(17, 2);
}

void Family(std::string& text, const char* name, const char* type, const char* help) {
  text.append("# HELP ").append(name).append(" ").append(help).append("\n");
  text.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

}  // namespace

std::string PrometheusLabelValue(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return escaped;
}

std::string PrometheusText(const std::vector<HistoryEntry>& entries) {
  HistoryMetrics metrics;
  for (const HistoryEntry& entry : entries) metrics.Add(entry);
  return metrics.Text();
}

void HistoryMetrics::Add(const HistoryEntry& entry) {
  UnitState& unit = units_[KeyOf(entry)];
  if (entry.kind != "update") {
    if (!entry.firmwareAfter.empty()) unit.firmware = entry.firmwareAfter;
    unit.awaiting = false;  // it came back
    return;
  }
  if (!entry.firmwareBefore.empty()) unit.firmware = entry.firmwareBefore;
  const RowResult result = ResultNamed(entry.result);
  if (result == RowResult::kPass || result == RowResult::kFail) {
    unit.lastResult = entry.result;
    unit.lastTime = entry.time;
    unit.awaiting = result == RowResult::kPass;
  }
  ++totals_[totals_.count(entry.result) != 0 ? entry.result : ResultText(RowResult::kSkipped)];
}

std::string HistoryMetrics::Text() const {
  const auto& units = units_;
  const auto& totals = totals_;
  std::string text;
  Family(text, "tq214_last_update_result", "gauge",
         "Result of the enclosure's latest firmware update: 1 PASS, 0 FAIL.");
  for (const auto& [key, unit] : units) {
    if (unit.lastResult.empty()) continue;
    text += "tq214_last_update_result" + Labels(key) +
            (ResultNamed(unit.lastResult) == RowResult::kPass ? " 1\n" : " 0\n");
  }
  Family(text, "tq214_last_update_timestamp_seconds", "gauge",
         "When the enclosure's latest firmware update was made, in seconds since 1970.");
  for (const auto& [key, unit] : units) {
    if (unit.lastResult.empty()) continue;
    text += "tq214_last_update_timestamp_seconds" + Labels(key) + " " +
            std::to_string(SecondsOf(unit.lastTime)) + "\n";
  }
  Family(text, "tq214_firmware_info", "gauge",
         "The firmware version last read from the enclosure.");
  for (const auto& [key, unit] : units) {
    if (unit.firmware.empty()) continue;
    text += "tq214_firmware_info" +
            Labels(key, ",version=\"" + PrometheusLabelValue(unit.firmware) + "\"") + " 1\n";
  }
  Family(text, "tq214_awaiting_reconnection", "gauge",
         "1 when the enclosure's latest update passed and it has not been seen running the "
         "new firmware since (it starts once the enclosure is reconnected); else 0.");
  for (const auto& [key, unit] : units) {
    if (unit.lastResult.empty()) continue;
    text += "tq214_awaiting_reconnection" + Labels(key) + (unit.awaiting ? " 1\n" : " 0\n");
  }
  Family(text, "tq214_updates_total", "counter", "Update attempts in the history, by result.");
  for (const auto& [result, count] : totals) {
    text += "tq214_updates_total{result=\"" + result + "\"} " + std::to_string(count) + "\n";
  }
  return text;
}
