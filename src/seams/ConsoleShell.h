#pragma once
// The shell of a program without windows (the command-line tool, the tests'
// defaults): nothing to pump, no timers, no other windows to find, no device
// notifications. Waiting and message boxes are left to the program.

#include "seams/Shell.h"

class ConsoleShell : public Shell {
 public:
  void ProcessMessages() override {}
  void SetWindowTimer(uint32_t, uint32_t) override {}
  void KillWindowTimer(uint32_t) override {}
  void DebugOutput(const char*) override {}
  bool QueryVersionRecord(uint8_t*) override { return false; }
  WindowRef FindTopWindow(const char*, const char*) override { return 0; }
  bool PostWindowMessage(WindowRef, uint32_t, uintptr_t, intptr_t) override { return false; }
  NotifyRef RegisterDeviceNotifications(const uint8_t*) override { return 0; }
  void UnregisterDeviceNotifications(NotifyRef) override {}
  // The version this build carries.
  bool ExecutableFileVersion(uint16_t version[4]) override;
};
