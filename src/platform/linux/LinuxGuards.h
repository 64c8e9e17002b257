#pragma once
// The system's guards on Linux:
// - an enclosure's lock is a lock on a file in /run/tq214, exclusive for a
//   writer, shared for a reader while it probes; the file readable by the
//   device node's group (TQ214_LOCK_DIR
//   elsewhere; LockFile.h says what either must be), named from the
//   enclosure's place in sysfs (the USB interface above its SCSI host, which
//   stays while the enclosure is attached, unlike /dev/sdX), or from its path
//   when sysfs does not know it; the kernel lets go of it when its holder
//   ends, however it ends; a path that names no disk of this machine (a
//   simulated enclosure) is locked within the process, unless TQ214_LOCK_DIR
//   names a folder for it;
// - the system is kept awake by a logind inhibitor lock (sleep, shutdown and
//   the lid switch, mode "block"), taken over the system bus by the first
//   update that writes and released when the last ends.

#include <mutex>
#include <string>

#include "seams/SystemGuards.h"

class LinuxGuards final : public SystemGuards {
 public:
  // `sysRoot`: where sysfs is ("/sys"); `lockDir`: the lock folder, empty
  // for /run/tq214 (tq214 names one from TQ214_LOCK_DIR).
  explicit LinuxGuards(std::string sysRoot = "/sys", std::string lockDir = "");

  EnclosureLock LockEnclosure(const char* path) override;
  bool EnclosureBusy(const char* path) override;
  // The lock file held shared (LockFile.h); within the process as ever for
  // a simulated enclosure without a lock folder.
  EnclosureLock ShareEnclosure(const char* path) override;
  std::unique_ptr<SystemGuard> KeepAwake(std::string* note) override;

  // The name of the lock file of the enclosure at `path` in the lock folder;
  // empty for a path that names no disk of this machine (unless the lock
  // folder was named).
  std::string LockFileOf(const std::string& path) const;

 private:
  class Awake;
  void ReleaseAwake();

  std::string sysRoot_;
  std::string lockDir_;
  bool dirNamed_ = false;  // by the caller
  std::mutex awakeLock_;
  int awakeUsers_ = 0;
  int inhibitor_ = -1;  // the file descriptor logind gave
};
