#include "platform/linux/LockFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0600;
// Group and others may not write the folder, nor open the file at all.
constexpr mode_t kFolderForbidden = S_IWGRP | S_IWOTH;
constexpr mode_t kFileForbidden = S_IRWXG | S_IRWXO;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kFileFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

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

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "something else";
}

// What is wrong with a folder or file tq214 opened, for its use; "" when
// nothing is.
std::string Mistrusted(const struct stat& seen, bool folder) {
  if (folder ? !S_ISDIR(seen.st_mode) : !S_ISREG(seen.st_mode)) {
    return std::string("is ") + KindOf(seen.st_mode) + ", not " +
           (folder ? "a folder" : "a regular file");
  }
  const uid_t user = geteuid();
  if (seen.st_uid != user) {
    return "is owned by user " + std::to_string(seen.st_uid) + ", not by user " +
           std::to_string(user) + " that tq214 runs as";
  }
  if (folder && (seen.st_mode & kFolderForbidden) != 0) {
    return "can be written by group or others (mode " + ModeText(seen.st_mode) + ")";
  }
  if (!folder && (seen.st_mode & kFileForbidden) != 0) {
    return "can be opened by group or others (mode " + ModeText(seen.st_mode) + ")";
  }
  if (!folder && seen.st_nlink != 1) {
    return "has " + std::to_string(seen.st_nlink) + " links, not one";
  }
  return "";
}

// Why opening `name` in the folder `at` (AT_FDCWD: a path) failed.
std::string OpenFailure(int at, const std::string& name, int error) {
  struct stat seen {};
  if (fstatat(at, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(seen.st_mode) &&
      !S_ISDIR(seen.st_mode)) {
    return std::string("is ") + KindOf(seen.st_mode);
  }
  if (error == EISDIR) return "is a folder, not a regular file";
  return std::string("cannot be opened (") + std::strerror(error) + ")";
}

// The folder opened and checked, or -1 with `problem` set (when asked for).
int OpenFolder(const std::string& folder, bool make, std::string* problem) {
  if (make && mkdir(folder.c_str(), kFolderMode) != 0 && errno != EEXIST) {
    *problem = folder + ": the lock folder cannot be made (" + std::strerror(errno) + ")";
    return -1;
  }
  Descriptor fd(open(folder.c_str(), kFolderFlags));
  if (fd.get() < 0) {
    *problem = folder + ": the lock folder " + OpenFailure(AT_FDCWD, folder, errno);
    return -1;
  }
  struct stat seen {};
  const std::string wrong =
      fstat(fd.get(), &seen) != 0 ? "cannot be examined" : Mistrusted(seen, true);
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

}  // namespace

EnclosureLock TakeLockFile(const std::string& folder, const std::string& name) {
  std::string problem;
  const Descriptor dir(OpenFolder(folder, true, &problem));
  if (dir.get() < 0) return RefusedLock(problem);
  const std::string path = folder + "/" + name;
  // Read-write: an exclusive lock needs it.
  Descriptor fd(openat(dir.get(), name.c_str(), O_RDWR | O_CREAT | kFileFlags, kFileMode));
  if (fd.get() < 0) {
    return RefusedLock(path + ": the lock file " + OpenFailure(dir.get(), name, errno));
  }
  struct stat seen {};
  const std::string wrong =
      fstat(fd.get(), &seen) != 0 ? "cannot be examined" : Mistrusted(seen, false);
  if (!wrong.empty()) return RefusedLock(path + ": the lock file " + wrong);
  struct flock lock = WholeFile(F_WRLCK);
  if (fcntl(fd.get(), F_OFD_SETLK, &lock) != 0) {
    if (errno == EAGAIN || errno == EACCES) return LockOf(nullptr);
    return RefusedLock(path + ": the lock file cannot be locked (" + std::strerror(errno) + ")");
  }
  return LockOf(std::make_unique<FileLock>(fd.release()));
}

bool LockFileHeld(const std::string& folder, const std::string& name) {
  std::string problem;
  const Descriptor dir(OpenFolder(folder, false, &problem));
  if (dir.get() < 0) return false;
  const Descriptor fd(openat(dir.get(), name.c_str(), O_RDONLY | kFileFlags));
  struct stat seen {};
  if (fd.get() < 0 || fstat(fd.get(), &seen) != 0 || !Mistrusted(seen, false).empty()) {
    return false;
  }
  struct flock lock = WholeFile(F_WRLCK);
  return fcntl(fd.get(), F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}
