#pragma once
// The shell of tq214: no windows. A message box becomes one line on standard
// error; waiting is real on a real machine and skipped on a simulated one.

#include <cstdint>
#include <ostream>

#include "seams/ConsoleShell.h"

class CliShell final : public ConsoleShell {
 public:
  CliShell(std::ostream& err, bool realSleep) : err_(err), realSleep_(realSleep) {}

  void Sleep(uint32_t milliseconds) override;
  int ShowMessageBox(const char* text, const char* caption, uint32_t style) override;

 private:
  std::ostream& err_;
  bool realSleep_;
};
