#pragma once
// Each update attempt in the Windows event log: the Application log, under the
// updater's event source, one event id per outcome from the message table both
// programs carry (EventMessages.mc), its type information, warning or error,
// and the attempt's fields as insertion strings. The installer registers the
// source (packaging/tq214.wxs); unregistered, the system still keeps the
// entries, without the message text. Reaching the log or not never changes an
// update: the callers only say that it failed.

#include <windows.h>

#include <string>

// The source's name, as the installer registers it under
// HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application.
constexpr wchar_t kEventSourceName[] = L"Tessaloft TQ-214";

// The event's id (the message table's) and type (EVENTLOG_*_TYPE).
struct EventKind {
  DWORD id;
  WORD type;
};

// One attempt, as the update history has it (UTF-8), and the kind of entry
// its outcome makes: each program files its own outcomes (tq214 from its
// outcome table, the window from its attempt's result).
struct UpdateEvent {
  EventKind kind{0, 0};
  std::string serial;          // "" when the enclosure has none
  std::string drive;           // the device as shown: "\\.\E:", "E:"
  std::string firmwareBefore;  // "" when not read
  std::string firmwareAfter;   // what runs or will run after it; "" when not known
  std::string imageSha256;     // of the image the program carries
  std::string reason;          // why, when not PASS
};

// Reports `event`; false with `failure` saying why when it did not reach the
// log.
bool ReportUpdateEvent(const UpdateEvent& event, std::string* failure);
