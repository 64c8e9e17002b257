#include "platform/linux/LockFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/linux/FileKind.h"
#include "platform/linux/FolderWalk.h"

namespace {

constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0640;
// Group and others may not write the folder; the file only its group may read.
constexpr mode_t kFolderForbidden = S_IWGRP | S_IWOTH;
constexpr mode_t kFileForbidden = S_IWGRP | S_IXGRP | S_IRWXO;
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kFileFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
// How long a writer waits for readers' probes to end, and how often it looks.
constexpr auto kReadersWait = std::chrono::milliseconds(3000);
constexpr auto kReadersPoll = std::chrono::milliseconds(10);

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

class FileLock final : public SystemGuard {
 public:
  explicit FileLock(int fd) : fd_(fd) {}
  ~FileLock() override { close(fd_); }  // the lock goes with the last descriptor

 private:
  int fd_;
};

// The lock's messages say "folder" where those of other files say
// "directory" (the lock folder is named so everywhere), and "a device" of
// either kind, as they always have.
const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return FileKindOf(mode);
}

// What is wrong with the lock folder or file tq214 opened; "" when nothing
// is. A writer's file must be its own; a reader's may be root's too.
std::string Mistrusted(const struct stat& seen, bool folder, bool ownOnly) {
  if (folder ? !S_ISDIR(seen.st_mode) : !S_ISREG(seen.st_mode)) {
    return std::string("is ") + KindOf(seen.st_mode) + ", not " +
           (folder ? "a folder" : "a regular file");
  }
  const uid_t user = geteuid();
  if (seen.st_uid != user && (ownOnly || seen.st_uid != 0)) {
    return "is owned by user " + std::to_string(seen.st_uid) + ", not by user " +
           std::to_string(user) + " that tq214 runs as";
  }
  if (folder && (seen.st_mode & kFolderForbidden) != 0) {
    return "can be written by group or others (mode " + ModeText(seen.st_mode) + ")";
  }
  if (!folder && (seen.st_mode & kFileForbidden) != 0) {
    return "can be opened by others or written by its group (mode " + ModeText(seen.st_mode) + ")";
  }
  if (!folder && seen.st_nlink != 1) {
    return "has " + std::to_string(seen.st_nlink) + " links, not one";
  }
  return "";
}

// Why opening `name` in the folder `at` failed.
std::string OpenFailure(int at, const std::string& name, int error) {
  struct stat seen {};
  if (fstatat(at, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(seen.st_mode) &&
      !S_ISDIR(seen.st_mode)) {
    return std::string("is ") + KindOf(seen.st_mode);
  }
  if (error == EISDIR || error == ENOTDIR) return "is a folder, not a regular file";
  return std::string("cannot be opened (") + std::strerror(error) + ")";
}

// The lock folder, reached through walked folders and checked, or -1 with
// `problem` set. `make`: made when missing, if this user may.
int OpenFolder(const std::string& folder, bool make, std::string* problem, struct stat* seen) {
  std::string parent;
  std::string last;
  if (!SplitLastName(folder, &parent, &last)) {
    *problem = folder + ": the lock folder names no folder of its own";
    return -1;
  }
  const WalkedFolder above = WalkToFolder(parent);
  if (!above.ok()) {
    *problem = folder + ": the lock folder is not safe: " + above.problem();
    return -1;
  }
  if (make && mkdirat(above.fd(), last.c_str(), kFolderMode) != 0 && errno != EEXIST &&
      errno != EACCES) {
    *problem = folder + ": the lock folder cannot be made (" + std::strerror(errno) + ")";
    return -1;
  }
  Descriptor fd(openat(above.fd(), last.c_str(), kFolderFlags));
  if (fd.get() < 0 && errno == ENOENT) {
    *problem = folder + ": no lock folder yet, and user " + std::to_string(geteuid()) +
               " may not make it (root makes it when it first uses an enclosure)";
    return -1;
  }
  if (fd.get() < 0) {
    const int error = errno;
    struct stat link {};
    const bool linked =
        fstatat(above.fd(), last.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
    *problem = folder + ": the lock folder " +
               (linked ? std::string("is a symbolic link") : OpenFailure(above.fd(), last, error));
    return -1;
  }
  const std::string wrong =
      fstat(fd.get(), seen) != 0 ? "cannot be examined" : Mistrusted(*seen, true, false);
  if (!wrong.empty()) {
    *problem = folder + ": the lock folder " + wrong;
    return -1;
  }
  return fd.release();
}

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;  // from 0 to the end, l_pid 0 as open-file-description locks need
}

// 0 when `type` was had now, else the error; `writer` set when a writer
// holds it, unset when only readers do.
int TryLock(int fd, short type, bool* writer) {
  struct flock lock = WholeFile(type);
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return 0;
  const int error = errno;
  struct flock holder = WholeFile(type);
  *writer = fcntl(fd, F_OFD_GETLK, &holder) != 0 || holder.l_type != F_RDLCK;
  return error;
}

// The lock file opened (made when missing and this user may), or -1 with
// `problem` set.
int OpenLockFile(int dir, const std::string& name, const std::string& path, LockHold hold,
                 std::string* problem) {
  const int access = hold == LockHold::kExclusive ? O_RDWR : O_RDONLY;
  int fd = openat(dir, name.c_str(), access | kFileFlags);
  if (fd < 0 && errno == ENOENT) {
    fd = openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | kFileFlags, kFileMode);
    if (fd < 0 && errno == EEXIST) fd = openat(dir, name.c_str(), access | kFileFlags);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
      *problem = path + ": no lock file yet, and user " + std::to_string(geteuid()) +
                 " may not make it (root makes it when it first uses the enclosure)";
      return -1;
    }
  }
  if (fd < 0) *problem = path + ": the lock file " + OpenFailure(dir, name, errno);
  return fd;
}

}  // namespace

EnclosureLock TakeLockFile(const std::string& folder, const std::string& name, LockHold hold,
                           gid_t group) {
  std::string problem;
  struct stat place {};
  const Descriptor dir(OpenFolder(folder, true, &problem, &place));
  if (dir.get() < 0) return RefusedLock(problem);
  const std::string path = folder + "/" + name;
  Descriptor fd(OpenLockFile(dir.get(), name, path, hold, &problem));
  if (fd.get() < 0) return RefusedLock(problem);
  struct stat seen {};
  const bool own = hold == LockHold::kExclusive;
  const std::string wrong =
      fstat(fd.get(), &seen) != 0 ? "cannot be examined" : Mistrusted(seen, false, own);
  if (!wrong.empty()) return RefusedLock(path + ": the lock file " + wrong);
  // Its owner gives it the device's group: those who may open the device may
  // hold it, nobody else. A group this user may not give stays as it was.
  const gid_t readers = group == static_cast<gid_t>(-1) ? place.st_gid : group;
  if (seen.st_uid == geteuid()) {
    // A group this user may not give leaves the file to its owner alone.
    const int regrouped =
        seen.st_gid == readers ? 0 : fchown(fd.get(), static_cast<uid_t>(-1), readers);
    static_cast<void>(regrouped);
    if ((seen.st_mode & 07777) != kFileMode && fchmod(fd.get(), kFileMode) != 0) {
      return RefusedLock(path + ": the lock file's mode cannot be set (" + std::strerror(errno) +
                         ")");
    }
  }
  const short type = hold == LockHold::kExclusive ? F_WRLCK : F_RDLCK;
  const auto until = std::chrono::steady_clock::now() + kReadersWait;
  bool writer = false;
  for (int error = TryLock(fd.get(), type, &writer); error != 0;
       error = TryLock(fd.get(), type, &writer)) {
    if (error != EAGAIN && error != EACCES) {
      return RefusedLock(path + ": the lock file cannot be locked (" + std::strerror(error) + ")");
    }
    // Readers end their probes soon; a writer holds it for the update.
    if (writer || std::chrono::steady_clock::now() >= until) return BusyLock();
    std::this_thread::sleep_for(kReadersPoll);
  }
  return TakenLock(std::make_unique<FileLock>(fd.release()));
}

bool LockFileHeld(const std::string& folder, const std::string& name) {
  std::string problem;
  struct stat place {};
  const Descriptor dir(OpenFolder(folder, false, &problem, &place));
  if (dir.get() < 0) return false;
  const Descriptor fd(openat(dir.get(), name.c_str(), O_RDONLY | kFileFlags));
  struct stat seen {};
  if (fd.get() < 0 || fstat(fd.get(), &seen) != 0 || !Mistrusted(seen, false, false).empty()) {
    return false;
  }
  // A read lock conflicts with a writer's only.
  struct flock lock = WholeFile(F_RDLCK);
  return fcntl(fd.get(), F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}
