#pragma once
// An enclosure's lock file on Linux, in a folder that only the user tq214
// runs as can write (root: /run/tq214, which in /run only root can make).
// Whatever another user could have placed is refused rather than followed:
//  - the folder must be a folder (not a symbolic link), owned by the user
//    tq214 runs as, and writable by neither group nor others;
//  - the file is opened relative to the checked folder with O_NOFOLLOW and
//    O_NONBLOCK (a planted link or FIFO neither leads elsewhere nor blocks),
//    and must be a regular file of that user with one link that group and
//    others cannot open.
// The lock is an open-file-description lock (F_OFD_SETLK), which the kernel
// lets go of with the file's last descriptor, however its holder ends, and
// which a reader can look for without taking it (F_OFD_GETLK).

#include <memory>
#include <string>

#include "seams/SystemGuards.h"

// Takes the lock on `name` in `folder` without waiting; the folder is made
// (0755) when it is missing.
EnclosureLock TakeLockFile(const std::string& folder, const std::string& name);

// True when another holder has the lock on `name` in `folder`. A missing or
// untrustworthy folder or file holds no lock; nothing is created.
bool LockFileHeld(const std::string& folder, const std::string& name);
