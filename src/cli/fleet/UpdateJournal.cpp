#include "cli/fleet/UpdateJournal.h"

#include "cli/enclosure/RowResult.h"
#include "cli/text/DeviceText.h"
#include "engine/FirmwareVersion.h"

namespace {

bool IsUpToDate(const HistoryEntry& entry) {
  return ResultNamed(entry.result) == RowResult::kSkipped &&
         entry.reason == ResultText(RowResult::kUpToDate);
}

bool IsConfirmation(const HistoryEntry& entry) {
  return entry.kind == "confirmation";
}

// What runs after the attempt: the version written after PASS (it starts
// when the enclosure is reconnected), the one before when nothing was
// written; not known after FAIL.
std::string FirmwareAfter(const HistoryEntry& entry) {
  if (IsConfirmation(entry)) return entry.firmwareAfter;
  const RowResult result = ResultNamed(entry.result);
  if (result == RowResult::kPass) return TargetVersionText();
  return result == RowResult::kFail ? "" : entry.firmwareBefore;
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
  } else if (ResultNamed(entry.result) == RowResult::kPass) {
    text += ": updated from " + entry.firmwareBefore + " to " + TargetVersionText() + ", PASS";
  } else if (IsUpToDate(entry)) {
    text += ": up to date" + before;
  } else {
    const RowResult result = ResultNamed(entry.result);
    const std::string word = result == RowResult::kFail      ? ": update FAIL"
                             : result == RowResult::kRefused ? ": update refused"
                                                             : ": skipped";
    text += word + before + ": " + entry.reason;
  }
  return EscapeControlBytes(text);
}

}  // namespace

std::vector<std::string> JournalFields(const HistoryEntry& entry, const JournalFacts& facts) {
  const OutcomeKind& kind = KindOf(facts.outcome);
  const bool update = !IsConfirmation(entry);
  const bool failed = ResultNamed(entry.result) == RowResult::kFail;
  return {"MESSAGE=" + Message(entry),
          "PRIORITY=" + std::to_string(kind.priority),
          std::string("MESSAGE_ID=") + kind.messageId,
          "SYSLOG_IDENTIFIER=tq214",
          std::string("TQ_OUTCOME=") + kind.name,
          "TQ_RESULT=" + Result(entry),
          "TQ_SERIAL=" + entry.serial,
          "TQ_DEVICE=" + entry.device,
          "TQ_PORT=" + facts.port,
          "TQ_FIRMWARE_BEFORE=" + entry.firmwareBefore,
          "TQ_FIRMWARE_AFTER=" + FirmwareAfter(entry),
          "TQ_IMAGE_SHA=" + entry.imageSha256,
          "TQ_REASON=" + Reason(entry),
          "TQ_SENSE=" + (failed ? facts.sense : std::string()),
          "TQ_TOOL_VERSION=" + entry.tool,
          "TQ_DURATION_MS=" + (update ? std::to_string(JsonMilliseconds(entry.seconds)) : "")};
}

void UpdateJournal::Log(const HistoryEntry& entry, const JournalFacts& facts) {
  if (journal_ == nullptr) return;
  std::string failure;
  if (journal_->Send(JournalFields(entry, facts), &failure) || said_ || trace_ == nullptr) return;
  said_ = true;
  *trace_ << "(no entry in the system journal: " << failure << ")\n" << std::flush;
}
