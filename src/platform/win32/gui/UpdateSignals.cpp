#include "platform/win32/gui/UpdateSignals.h"

#include <string>

#include "embedded/FirmwareImageDigest.h"
#include "platform/win32/gui/AttemptEvent.h"

void UpdateSignals::Attach(HWND window, HWND resultLine) {
  window_ = window;
  taskbar_.Attach(window);
  result_.Mark(resultLine);
}

void UpdateSignals::Detach() {
  taskbar_.LetGo();
  result_.Unmark();
  window_ = nullptr;
}

void UpdateSignals::UpdateProgressed(uint32_t position, uint32_t maximum) {
  taskbar_.ShowProgress(position, maximum);
}

void UpdateSignals::UpdateResultShown(bool passed) {
  if (passed) {
    taskbar_.ShowNothing();
  } else {
    taskbar_.ShowError();
  }
  result_.Announce();
  // The operator may have turned to other work during the update.
  if (window_ != nullptr && GetForegroundWindow() != window_) {
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = window_;
    flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
    FlashWindowEx(&flash);
  }
}

void UpdateSignals::UpdateAttempted(const UpdateAttempt& attempt) {
  if (!reportAttempts_) return;
  // The update is over whatever the log says; only a debugger hears of it.
  std::string failure;
  if (!ReportUpdateEvent(EventOfAttempt(attempt, kFirmwareImageSha256), &failure)) {
    OutputDebugStringA(("no entry in the event log: " + failure + "\n").c_str());
  }
}

void UpdateSignals::LinesRefreshed() {
  // A failed update's red button stays until its result has left the lines.
  taskbar_.ShowNothing();
}
