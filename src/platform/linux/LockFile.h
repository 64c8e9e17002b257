#pragma once
// An enclosure's lock file on Linux, in a folder that only the user tq214
// runs as (or root) can write (root: /run/tq214, which in /run only root can
// make). Whatever another user could have placed is refused rather than
// followed:
//  - the folders above the lock folder are walked from / (FolderWalk.h):
//    none may be a link or changeable by another user, so that nobody can
//    rename one and let a second writer take a fresh lock elsewhere;
//  - the lock folder must be a folder owned by root or that user, writable
//    by neither group nor others;
//  - the file is opened relative to the checked folder with O_NOFOLLOW and
//    O_NONBLOCK (a planted link or FIFO neither leads elsewhere nor blocks),
//    and must be a regular file with one link that group and others cannot
//    write and others cannot read: mode 0640, its group the device node's
//    (the lock folder's for a path that is no node), so that only those who
//    may open the device can hold it.
// Writers hold the lock exclusive, readers shared while they probe: a
// writer never starts in the middle of a reader's probe, and a reader never
// probes while a writer holds it. A writer that meets only readers waits for
// them a little (their probes are short) before it counts the enclosure busy.
// A reader that finds no lock file makes it when it may (root); one that may
// not (another user, in root's folder) cannot hold anything that a writer
// would see, so it sends the enclosure nothing and says why: the lock file
// appears once root has used the enclosure (any tq214 command as root).
// The lock is an open-file-description lock (F_OFD_SETLK), which the kernel
// lets go of with the file's last descriptor, however its holder ends.

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "seams/SystemGuards.h"

enum class LockHold : uint8_t { kExclusive, kShared };

// Takes the lock on `name` in `folder` without waiting on a writer; the
// folder is made (0755) when it is missing. `group`: the group that may read
// the lock file, -1 for the lock folder's.
EnclosureLock TakeLockFile(const std::string& folder, const std::string& name, LockHold hold,
                           gid_t group = static_cast<gid_t>(-1));

// True when a writer holds the lock on `name` in `folder` (a reader's shared
// hold does not count). A missing or untrustworthy folder or file holds no
// lock; nothing is created.
bool LockFileHeld(const std::string& folder, const std::string& name);
