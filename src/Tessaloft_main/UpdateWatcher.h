#pragma once
// What the window tells of an update besides its lines, for the parts of it
// that the system shows elsewhere: its taskbar button, and what assistive
// technology reads out. Called on the window thread.

#include <cstdint>
#include <string>

// How an attempt ended, for the system's log: the third line shows "PASS"
// for the first, "FAIL" for the others.
enum class AttemptResult : uint8_t {
  kPassed,
  kFailed,   // the update ran and did not end as it should
  kRefused,  // nothing written: the build, the lock or the device said no first
};

// An update attempt as the system's log keeps it, as tq214's history says it.
struct UpdateAttempt {
  AttemptResult result = AttemptResult::kFailed;
  std::string serial;          // "" when the enclosure has none
  std::string drive;           // its drive letters, else its path
  std::string firmwareBefore;  // "" when not read
  std::string firmwareAfter;   // the version written after PASS, "" after FAIL
  std::string reason;          // why, when not PASS
};

class UpdateWatcher {
 public:
  virtual ~UpdateWatcher() = default;
  // The device work has come `position` of `maximum` steps (writing, then
  // verifying), as the progress bar shows it.
  virtual void UpdateProgressed(uint32_t position, uint32_t maximum) = 0;
  // The third line shows the result: "PASS" when `passed`, else "FAIL".
  virtual void UpdateResultShown(bool passed) = 0;
  // The attempt behind that result, for the system's log.
  virtual void UpdateAttempted(const UpdateAttempt& attempt) = 0;
  // A refresh replaced whatever an update left on the lines.
  virtual void LinesRefreshed() = 0;
};
