// Windows' counterpart of the journal: each update attempt goes to the
// Application log (platform/win32/Win32EventLog.h), its fields those that the
// journal entry carries, so that both systems tell an attempt alike.

#include <string>

#include "cli/fleet/Outcomes.h"
#include "cli/fleet/SystemJournal.h"
#include "platform/win32/Win32EventLog.h"

namespace {

// The value of the field `name` among "NAME=value" fields; "" without one.
std::string FieldValue(const std::vector<std::string>& fields, const std::string& name) {
  const std::string prefix = name + "=";
  for (const std::string& field : fields) {
    if (field.compare(0, prefix.size(), prefix) == 0) return field.substr(prefix.size());
  }
  return "";
}

class EventLogJournal final : public SystemJournal {
 public:
  bool Send(const std::vector<std::string>& fields, std::string* failure) override {
    UpdateEvent event;
    event.serial = FieldValue(fields, "TQ_SERIAL");
    event.drive = FieldValue(fields, "TQ_DEVICE");
    event.firmwareBefore = FieldValue(fields, "TQ_FIRMWARE_BEFORE");
    event.firmwareAfter = FieldValue(fields, "TQ_FIRMWARE_AFTER");
    event.imageSha256 = FieldValue(fields, "TQ_IMAGE_SHA");
    event.reason = FieldValue(fields, "TQ_REASON");
    // The outcome's kind, as the journal files it (every entry names one).
    Outcome outcome = Outcome::kSkipped;  // kept without a name it knows
    OutcomeNamed(FieldValue(fields, "TQ_OUTCOME"), &outcome);
    const OutcomeKind& kind = KindOf(outcome);
    event.kind = {kind.eventId, kind.priority <= 3   ? WORD{EVENTLOG_ERROR_TYPE}
                                : kind.priority == 4 ? WORD{EVENTLOG_WARNING_TYPE}
                                                     : WORD{EVENTLOG_INFORMATION_TYPE}};
    return ReportUpdateEvent(event, failure);
  }
};

}  // namespace

SystemJournal* SystemJournalOfPlatform() {
  static EventLogJournal journal;
  return &journal;
}
