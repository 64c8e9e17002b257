#pragma once
// The shell on Linux: waiting is a real sleep of the calling thread.

#include <cstdint>

#include "seams/ConsoleShell.h"

class PosixShell final : public ConsoleShell {
 public:
  // Sleeps the full time, also when a signal interrupts the wait.
  void Sleep(uint32_t milliseconds) override;
  // No window system here: the box's caption and text go to standard error.
  int ShowMessageBox(const char* text, const char* caption, uint32_t style) override;
};
