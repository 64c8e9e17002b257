#include "platform/win32/gui/AttemptEvent.h"

#include "EventMessages.h"

EventKind EventKindOfAttempt(AttemptResult result) {
  switch (result) {
    case AttemptResult::kPassed:
      return {TQ214_EVENT_PASSED, EVENTLOG_INFORMATION_TYPE};
    case AttemptResult::kRefused:
      return {TQ214_EVENT_REFUSED, EVENTLOG_WARNING_TYPE};
    case AttemptResult::kFailed:
      break;
  }
  return {TQ214_EVENT_FAILED, EVENTLOG_ERROR_TYPE};
}

UpdateEvent EventOfAttempt(const UpdateAttempt& attempt, const std::string& imageSha256) {
  UpdateEvent event;
  event.kind = EventKindOfAttempt(attempt.result);
  event.serial = attempt.serial;
  event.drive = attempt.drive;
  event.firmwareBefore = attempt.firmwareBefore;
  event.firmwareAfter = attempt.firmwareAfter;
  event.imageSha256 = imageSha256;
  event.reason = attempt.reason;
  return event;
}
