#include "platform/win32/Win32EventLog.h"

#include <array>

#include "EventMessages.h"
#include "platform/win32/Win32Text.h"

namespace {

constexpr size_t kInsertionStrings = 6;

// An enclosure left alone because it is up to date is no warning.
bool IsUpToDate(const UpdateEvent& event) {
  return event.result == "skipped" && event.reason == "up to date";
}

}  // namespace

EventKind EventKindOf(const UpdateEvent& event) {
  if (event.kind.id != 0) return event.kind;
  if (event.result == "PASS") return {TQ214_EVENT_PASSED, EVENTLOG_INFORMATION_TYPE};
  if (event.result == "FAIL") return {TQ214_EVENT_FAILED, EVENTLOG_ERROR_TYPE};
  if (event.result == "refused") return {TQ214_EVENT_REFUSED, EVENTLOG_WARNING_TYPE};
  if (event.result == "confirmed") return {TQ214_EVENT_CONFIRMATION, EVENTLOG_INFORMATION_TYPE};
  if (event.result == "unconfirmed") return {TQ214_EVENT_CONFIRMATION, EVENTLOG_WARNING_TYPE};
  return {TQ214_EVENT_SKIPPED,
          IsUpToDate(event) ? WORD{EVENTLOG_INFORMATION_TYPE} : WORD{EVENTLOG_WARNING_TYPE}};
}

bool ReportUpdateEvent(const UpdateEvent& event, std::string* failure) {
  const HANDLE source = RegisterEventSourceW(nullptr, kEventSourceName);
  if (source == nullptr) {
    *failure = "the event log refused the source (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  // In the message table's order: %1 to %6.
  const std::array<std::wstring, kInsertionStrings> texts = {
      WideFromUtf8(event.serial),         WideFromUtf8(event.drive),
      WideFromUtf8(event.firmwareBefore), WideFromUtf8(event.firmwareAfter),
      WideFromUtf8(event.imageSha256),    WideFromUtf8(event.reason)};
  std::array<LPCWSTR, kInsertionStrings> strings{};
  for (size_t i = 0; i < texts.size(); ++i) strings[i] = texts[i].c_str();
  const EventKind kind = EventKindOf(event);
  const bool reported =
      ReportEventW(source, kind.type, 0, kind.id, nullptr, static_cast<WORD>(strings.size()), 0,
                   strings.data(), nullptr) != FALSE;
  if (!reported) {
    *failure = "the event log refused the entry (error " + std::to_string(GetLastError()) + ")";
  }
  DeregisterEventSource(source);
  return reported;
}
