#pragma once
// The Windows shell: waiting is the system's own Sleep.

#include "seams/Shell.h"

class Win32Shell final : public Shell {
 public:
  void Sleep(uint32_t milliseconds) override;
  int ShowMessageBox(const char* text, const char* caption, uint32_t style) override;
};
