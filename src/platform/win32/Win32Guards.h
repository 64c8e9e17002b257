#pragma once
// The system's guards on Windows:
// - an enclosure's lock is a named mutex in the Global\ namespace, named from
//   the enclosure's interface path (which carries its serial number), so that
//   the window and tq214.exe, in any session, see each other's; a mutex whose
//   owner died is handed on as abandoned, which counts as free;
// - the system is kept awake by SetThreadExecutionState(ES_CONTINUOUS |
//   ES_SYSTEM_REQUIRED) on the thread that writes, cleared when it is done.
// Both belong to the thread that took them, which must also let them go.

#include <string>

#include "seams/SystemGuards.h"

class Win32Guards final : public SystemGuards {
 public:
  std::unique_ptr<SystemGuard> LockEnclosure(const char* path) override;
  std::unique_ptr<SystemGuard> KeepAwake(std::string* note) override;
};

// "Global\tq214-" and the path, lower-cased, with '\' (which a mutex name
// may not hold) as '#'.
std::string EnclosureMutexName(const std::string& path);
