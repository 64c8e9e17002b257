#pragma once
// The system's guards on Windows:
// - an enclosure's lock is a named mutex in the Global\ namespace, named from
//   the disk the path leads to (its storage device number), so that every
//   name of one disk (its interface path, \\.\PhysicalDriveN, a volume on it)
//   gives the same mutex, and the window and tq214.exe, in any session, see
//   each other's; a path that leads to no disk of this machine (a simulated
//   enclosure) is named by the path itself. A mutex whose owner died is
//   handed on as abandoned, which counts as free; one that another user made
//   and this one may not open is held;
// - the system is kept awake by SetThreadExecutionState(ES_CONTINUOUS |
//   ES_SYSTEM_REQUIRED) on the thread that writes, cleared when it is done.
// Both belong to the thread that took them, which must also let them go.

#include <cstdint>
#include <string>

#include "seams/ScsiBackend.h"
#include "seams/SystemGuards.h"

class Win32Guards final : public SystemGuards {
 public:
  // `devices` says which disk a path leads to.
  explicit Win32Guards(ScsiBackend& devices) : devices_(devices) {}

  EnclosureLock LockEnclosure(const char* path) override;
  bool EnclosureBusy(const char* path) override;
  std::unique_ptr<SystemGuard> KeepAwake(std::string* note) override;

  // The mutex of the enclosure at `path`.
  std::string MutexNameOf(const char* path);

 private:
  ScsiBackend& devices_;
};

// "Global\tq214-disk" and the disk's storage device number.
std::string DiskMutexName(uint32_t deviceNumber);
// "Global\tq214-" and the path, lower-cased, with '\' (which a mutex name
// may not hold) as '#'.
std::string EnclosureMutexName(const std::string& path);
