#include "cli/CliShell.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

void CliShell::Sleep(uint32_t milliseconds) {
  if (realSleep_) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int CliShell::ShowMessageBox(const char* text, const char* caption, uint32_t) {
  std::string line = text;
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  err_ << "tq214: " << caption << ": " << line << '\n';
  return kIdOk;
}
