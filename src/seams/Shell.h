#pragma once
// The seam to the system services that the flows use besides the device:
// waiting, message boxes, the message pump and window timers, debugger output,
// the operating-system version, finding and posting to other windows, device
// notifications, the program's version resource, and where device work runs.
// Tests install a virtual shell that records instead.

#include <cstdint>
#include <functional>

// Message box styles and answers, as the system numbers them.
constexpr uint32_t kMbOk = 0x00000000;
constexpr uint32_t kMbIconError = 0x00000010;
constexpr uint32_t kMbIconWarning = 0x00000030;
constexpr uint32_t kMbTaskModal = 0x00002000;
constexpr int kIdOk = 1;

// Window messages the flows send or receive.
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmDeviceChange = 0x0219;

// A window of another program, as the system names it; 0 is none.
using WindowRef = uintptr_t;
// A device-notification registration; 0 is none.
using NotifyRef = uintptr_t;

class Shell {
 public:
  virtual ~Shell() = default;

  virtual void Sleep(uint32_t milliseconds) = 0;
  // A modal message box with no owner window; returns the button pressed.
  virtual int ShowMessageBox(const char* text, const char* caption, uint32_t style) = 0;

  // Dispatches the window messages that are pending now, then returns.
  virtual void ProcessMessages() = 0;
  // Window timers of the main window: (re)start with a period, stop.
  virtual void SetWindowTimer(uint32_t id, uint32_t milliseconds) = 0;
  virtual void KillWindowTimer(uint32_t id) = 0;

  // One line to the debugger.
  virtual void DebugOutput(const char* text) = 0;

  // Fills an operating-system version record whose first four bytes give its
  // size (156 for the extended form, 148 for the basic one); false when the
  // system refuses that form.
  virtual bool QueryVersionRecord(uint8_t* record) = 0;

  // A top-level window with this class and exactly this title, or 0.
  virtual WindowRef FindTopWindow(const char* className, const char* title) = 0;
  // Posts a message without waiting for it to be handled.
  virtual bool PostWindowMessage(WindowRef window, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam) = 0;

  // Registers the main window for device-interface notifications described by
  // a 32-byte filter record; returns the registration or 0.
  virtual NotifyRef RegisterDeviceNotifications(const uint8_t* filter) = 0;
  virtual void UnregisterDeviceNotifications(NotifyRef registration) = 0;

  // The running program's fixed file version, four 16-bit numbers, most
  // significant first; false when it has no readable version information.
  virtual bool ExecutableFileVersion(uint16_t version[4]) = 0;

  // Runs a stretch of device work. The window thread's shell may run it on a
  // worker while it keeps painting (and nothing else) until the work ends;
  // other shells run it at once. Either way it has ended when this returns.
  virtual void RunDeviceWork(const std::function<void()>& work) { work(); }
  // Runs `task` on the window thread: at once when called there, else as soon
  // as the window thread handles its next painting.
  virtual void PostToWindowThread(const std::function<void()>& task) { task(); }
};
