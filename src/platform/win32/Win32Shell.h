#pragma once
// The Windows shell: waiting is the system's own Sleep.

#include "seams/ConsoleShell.h"

class Win32Shell : public ConsoleShell {
 public:
  void Sleep(uint32_t milliseconds) override;
  int ShowMessageBox(const char* text, const char* caption, uint32_t style) override;
};
