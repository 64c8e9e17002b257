#include "cli/fleet/UpdateJournal.h"

#include "cli/DeviceText.h"
#include "engine/FirmwareVersion.h"

namespace {

// One kind of entry: its id (made once with `journalctl --new-id128`) and
// its syslog priority.
struct Kind {
  const char* messageId;
  const char* priority;  // 3 err, 4 warning, 6 info
};
constexpr Kind kPassed{"b806aa1249344a97827c134b29539990", "6"};
constexpr Kind kFailed{"1840d52fc3684c64bd39146fb1771a07", "3"};
constexpr Kind kRefused{"c20b7073cb33412888448d6c4dec7eb0", "4"};
constexpr Kind kSkipped{"8d7352f2ab7e4add965fb1ee867e0e7c", "4"};
constexpr Kind kUpToDate{kSkipped.messageId, "6"};
constexpr Kind kConfirmed{"d906d5949dd6485c99011e38a6439c57", "6"};
constexpr Kind kUnconfirmed{kConfirmed.messageId, "4"};

bool IsUpToDate(const HistoryEntry& entry) {
  return entry.result == "skipped" && entry.reason == "up to date";
}

bool IsConfirmation(const HistoryEntry& entry) {
  return entry.kind == "confirmation";
}

Kind KindOf(const HistoryEntry& entry) {
  if (IsConfirmation(entry)) return entry.confirmed ? kConfirmed : kUnconfirmed;
  if (entry.result == "PASS") return kPassed;
  if (entry.result == "FAIL") return kFailed;
  if (entry.result == "refused") return kRefused;
  return IsUpToDate(entry) ? kUpToDate : kSkipped;
}

// What runs after the attempt: the version written after PASS (it starts
// when the enclosure is reconnected), the one before when nothing was
// written; not known after FAIL.
std::string FirmwareAfter(const HistoryEntry& entry) {
  if (IsConfirmation(entry)) return entry.firmwareAfter;
  if (entry.result == "PASS") return TargetVersionText();
  return entry.result == "FAIL" ? "" : entry.firmwareBefore;
}

// Why, as the entry says it: a confirmation's is that of a firmware that did
// not start.
std::string Reason(const HistoryEntry& entry) {
  if (!IsConfirmation(entry)) return entry.reason;
  return entry.confirmed ? "" : "the new firmware did not start";
}

// The outcome's word: the history's result; a confirmation's, whether the
// new firmware runs.
std::string Result(const HistoryEntry& entry) {
  if (!IsConfirmation(entry)) return entry.result;
  return entry.confirmed ? "confirmed" : "unconfirmed";
}

std::string Message(const HistoryEntry& entry) {
  std::string text = entry.serial.empty() ? "Enclosure at " + entry.device + " (no serial number)"
                                          : "Enclosure #" + entry.serial + " at " + entry.device;
  const std::string before =
      entry.firmwareBefore.empty() ? "" : " (firmware " + entry.firmwareBefore + ")";
  if (IsConfirmation(entry)) {
    text += entry.confirmed ? ": confirmed, running " + entry.firmwareAfter
                            : ": back, running " + entry.firmwareAfter + "; " + Reason(entry);
  } else if (entry.result == "PASS") {
    text += ": updated from " + entry.firmwareBefore + " to " + TargetVersionText() + ", PASS";
  } else if (IsUpToDate(entry)) {
    text += ": up to date" + before;
  } else {
    const std::string word = entry.result == "FAIL"      ? ": update FAIL"
                             : entry.result == "refused" ? ": update refused"
                                                         : ": skipped";
    text += word + before + ": " + entry.reason;
  }
  return EscapeControlBytes(text);
}

}  // namespace

std::vector<std::string> JournalFields(const HistoryEntry& entry) {
  const Kind kind = KindOf(entry);
  return {"MESSAGE=" + Message(entry),
          std::string("PRIORITY=") + kind.priority,
          std::string("MESSAGE_ID=") + kind.messageId,
          "SYSLOG_IDENTIFIER=tq214",
          "TQ_RESULT=" + Result(entry),
          "TQ_SERIAL=" + entry.serial,
          "TQ_DEVICE=" + entry.device,
          "TQ_FIRMWARE_BEFORE=" + entry.firmwareBefore,
          "TQ_FIRMWARE_AFTER=" + FirmwareAfter(entry),
          "TQ_IMAGE_SHA=" + entry.imageSha256,
          "TQ_REASON=" + Reason(entry)};
}

void UpdateJournal::Log(const HistoryEntry& entry) {
  if (journal_ == nullptr) return;
  if (IsConfirmation(entry) && !journal_->KeepsConfirmations()) return;
  std::string failure;
  if (journal_->Send(JournalFields(entry), &failure) || said_ || trace_ == nullptr) return;
  said_ = true;
  *trace_ << "(no entry in the system journal: " << failure << ")\n" << std::flush;
}
