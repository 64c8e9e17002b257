#pragma once
// What the window tells of an update besides its lines, for the parts of it
// that the system shows elsewhere: its taskbar button, and what assistive
// technology reads out. Called on the window thread.

#include <cstdint>

class UpdateWatcher {
 public:
  virtual ~UpdateWatcher() = default;
  // The device work has come `position` of `maximum` steps (writing, then
  // verifying), as the progress bar shows it.
  virtual void UpdateProgressed(uint32_t position, uint32_t maximum) = 0;
  // The third line shows the result: "PASS" when `passed`, else "FAIL".
  virtual void UpdateResultShown(bool passed) = 0;
  // A refresh replaced whatever an update left on the lines.
  virtual void LinesRefreshed() = 0;
};
