#include "platform/linux/PosixShell.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

void PosixShell::Sleep(uint32_t milliseconds) {
  timespec wanted = {};
  wanted.tv_sec = static_cast<time_t>(milliseconds / 1000u);
  wanted.tv_nsec = static_cast<decltype(wanted.tv_nsec)>(milliseconds % 1000u) * 1000000;
  timespec remaining = {};
  // A signal ends nanosleep early and leaves the time still to wait.
  while (nanosleep(&wanted, &remaining) != 0 && errno == EINTR) wanted = remaining;
}

int PosixShell::ShowMessageBox(const char* text, const char* caption, uint32_t) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return kIdOk;
}
