#pragma once
// A shell for tests: a virtual clock instead of waiting, recorded message
// boxes and debugger lines, a message queue dispatched to the main window at
// its pumps, window timers on the virtual clock, other programs' dialogs to
// find and close, and a configurable system version.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "seams/Shell.h"

class VirtualShell final : public Shell {
 public:
  struct Box {
    std::string text;
    std::string caption;
    uint32_t style;
  };
  struct Message {
    uint32_t message;
    uintptr_t wParam;
  };
  struct Dialog {
    std::string className;
    std::string title;
    bool open = true;
    int closeRequests = 0;
  };

  // Shell.
  void Sleep(uint32_t milliseconds) override;
  int ShowMessageBox(const char* text, const char* caption, uint32_t style) override;
  void ProcessMessages() override;
  void SetWindowTimer(uint32_t id, uint32_t milliseconds) override;
  void KillWindowTimer(uint32_t id) override;
  void DebugOutput(const char* text) override { debugLines.emplace_back(text); }
  bool QueryVersionRecord(uint8_t* record) override;
  WindowRef FindTopWindow(const char* className, const char* title) override;
  bool PostWindowMessage(WindowRef window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) override;
  NotifyRef RegisterDeviceNotifications(const uint8_t* filter) override;
  void UnregisterDeviceNotifications(NotifyRef registration) override;
  bool ExecutableFileVersion(uint16_t version[4]) override;

  // Test controls.
  // Queues a window message for the main window's next pump or loop turn.
  void Post(uint32_t message, uintptr_t wParam) { queue.push_back({message, wParam}); }
  // Lets `milliseconds` pass as the message loop would: queued messages and
  // timers that come due are dispatched to the main window in time order.
  void RunLoop(uint64_t milliseconds);
  WindowRef OpenDialog(const std::string& className, const std::string& title);
  bool TimerRunning(uint32_t id) const { return timers.count(id) != 0; }

  uint64_t now = 0;  // the virtual clock, in milliseconds
  std::vector<uint32_t> sleeps;
  std::vector<Box> boxes;
  std::function<void()> onMessageBox;  // runs while a box is "open"
  std::function<void()> onPump;        // runs at each pump, before dispatching
  std::vector<Message> queue;
  std::vector<Message> dispatched;
  int pumps = 0;
  struct Timer {
    uint64_t deadline;
    uint32_t period;
  };
  std::map<uint32_t, Timer> timers;
  std::vector<std::string> debugLines;
  uint32_t osMajor = 10;
  uint32_t osMinor = 0;
  bool refuseExtendedVersion = false;
  std::vector<uint32_t> versionQueries;  // record sizes asked for
  std::vector<Dialog> dialogs;           // WindowRef = index + 1
  std::vector<uint8_t> notificationFilter;
  NotifyRef registration = 0;
  NotifyRef registrationToGive = 0x5EED;
  std::vector<NotifyRef> unregistered;
  bool hasVersion = true;
  uint16_t fileVersion[4] = {1, 0, 0, 1};

 private:
  void DispatchToWindow(const Message& message);
  bool DispatchDueTimer();
};
