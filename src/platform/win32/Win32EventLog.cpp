#include "platform/win32/Win32EventLog.h"

#include <array>

#include "platform/win32/Win32Text.h"

namespace {

constexpr size_t kInsertionStrings = 6;

}  // namespace

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
  const bool reported =
      ReportEventW(source, event.kind.type, 0, event.kind.id, nullptr,
                   static_cast<WORD>(strings.size()), 0, strings.data(), nullptr) != FALSE;
  if (!reported) {
    *failure = "the event log refused the entry (error " + std::to_string(GetLastError()) + ")";
  }
  DeregisterEventSource(source);
  return reported;
}
