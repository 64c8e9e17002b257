// Regular files on Linux: opened with O_NONBLOCK (a FIFO without a writer
// would otherwise hold open() for ever, one without a reader a write), then
// judged by fstat on what was opened, never by a name that can change in
// between. A file to write is reached through walked folders
// (FolderWalk.h) and looked at without following a link before it is opened
// (so that a device is not even opened), then judged again once open.

#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/FileKind.h"
#include "platform/linux/FolderWalk.h"

namespace {

std::string NotRegular(mode_t mode) {
  return std::string(FileKindOf(mode)) + ", not a regular file";
}

// Whether the file is the one standard output or error goes to (through
// /dev/stdout, say): written there too, it would be mixed with the
// program's own lines.
bool IsStandardOutput(const struct stat& file) {
  for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat output {};
    if (fstat(fd, &output) == 0 && output.st_dev == file.st_dev && output.st_ino == file.st_ino) {
      return true;
    }
  }
  return false;
}

OpenedFile Refused(int fd, std::string error) {
  if (fd >= 0) close(fd);
  OpenedFile refused;
  refused.error = std::move(error);
  return refused;
}

// What is wrong with a file that is there, to be written by this user.
enum class Fault : uint8_t {
  kNone,
  kOdd,     // the user's own, but no regular file
  kUnsafe,  // another user placed it, or it leads elsewhere
};
struct Judged {
  Fault fault = Fault::kNone;
  std::string why;
};

Judged JudgeToWrite(const struct stat& seen) {
  if (S_ISLNK(seen.st_mode)) return {Fault::kUnsafe, "a symbolic link, never followed"};
  const uid_t user = geteuid();
  const std::string owner = "owned by user " + std::to_string(seen.st_uid) + ", not by user " +
                            std::to_string(user) + " that tq214 runs as";
  // Root's device nodes stay what they were for other users: odd files.
  if (seen.st_uid != user && seen.st_uid != 0) return {Fault::kUnsafe, owner};
  if (!S_ISREG(seen.st_mode)) return {Fault::kOdd, NotRegular(seen.st_mode)};
  if (seen.st_uid != user) return {Fault::kUnsafe, owner};
  if (seen.st_nlink != 1) {
    return {Fault::kUnsafe,
            "has " + std::to_string(seen.st_nlink) + " links: another name leads to it"};
  }
  return {};
}

// The file to write, opened in its walked folder: an existing one judged
// before and after it is opened, a new one made with O_EXCL.
OpenedFile OpenToWrite(const std::string& path, int flags, bool makeFolders, int* opened) {
  std::string folder;
  std::string name;
  if (!SplitLastName(path, &folder, &name)) return Refused(-1, "names no file, only a folder");
  const WalkedFolder dir = WalkToFolder(folder, makeFolders);
  if (!dir.ok()) {
    OpenedFile failed = Refused(-1, dir.problem());
    failed.missing = dir.missing();
    return failed;
  }
  int fd = -1;
  // A file made or removed in between: looked at again, twice at most.
  for (int tries = 0; tries < 3 && fd < 0; ++tries) {
    struct stat seen {};
    if (fstatat(dir.fd(), name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0) {
      const Judged judged = JudgeToWrite(seen);
      if (judged.fault != Fault::kNone) return Refused(-1, judged.why);
      fd = openat(dir.fd(), name.c_str(), flags | O_NOFOLLOW);
    } else if (errno == ENOENT) {
      fd = openat(dir.fd(), name.c_str(), flags | O_NOFOLLOW | O_CREAT | O_EXCL, 0666);
    } else {
      return Refused(-1, std::strerror(errno));
    }
    if (fd < 0 && errno != ENOENT && errno != EEXIST) break;
  }
  if (fd < 0) {
    return Refused(-1, errno == ELOOP ? "a symbolic link, never followed" : std::strerror(errno));
  }
  struct stat now {};
  if (fstat(fd, &now) != 0) return Refused(fd, std::strerror(errno));
  const Judged judged = JudgeToWrite(now);
  if (judged.fault != Fault::kNone) return Refused(fd, judged.why);
  *opened = fd;
  return {};
}

}  // namespace

std::string UnsafeToWrite(const std::string& path) {
  std::string folder;
  std::string name;
  if (!SplitLastName(path, &folder, &name)) return "";
  const WalkedFolder dir = WalkToFolder(folder);
  if (!dir.ok()) return dir.unsafe() ? dir.problem() : "";
  struct stat seen {};
  if (fstatat(dir.fd(), name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0) return "";
  const Judged judged = JudgeToWrite(seen);
  return judged.fault == Fault::kUnsafe ? judged.why : "";
}

OpenedFile OpenRegularFile(const std::string& path, FileUse use, bool makeFolders) {
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  const char* mode = "rb";
  if (use == FileUse::kAppend) {
    flags |= O_WRONLY | O_APPEND;
    mode = "ab";
  } else if (use == FileUse::kRewrite) {
    flags |= O_RDWR;  // emptied once it is known to be a regular file
    mode = "r+b";
  }
  int fd = -1;
  if (use != FileUse::kRead) {
    OpenedFile refused = OpenToWrite(path, flags, makeFolders, &fd);
    if (fd < 0) return refused;
  } else {
    fd = open(path.c_str(), flags);
  }
  if (fd < 0) {
    const int error = errno;
    // A FIFO without a reader, a socket: what is there says more than ENXIO.
    struct stat there {};
    if (stat(path.c_str(), &there) == 0 && !S_ISREG(there.st_mode)) {
      return Refused(-1, NotRegular(there.st_mode));
    }
    OpenedFile failed = Refused(-1, std::strerror(error));
    failed.missing = error == ENOENT;
    return failed;
  }
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return Refused(fd, std::strerror(errno));
  if (!S_ISREG(opened.st_mode)) return Refused(fd, NotRegular(opened.st_mode));
  if (use != FileUse::kRead && IsStandardOutput(opened)) return Refused(fd, kStandardOutput);
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0 ||
      (use == FileUse::kRewrite && ftruncate(fd, 0) != 0)) {
    return Refused(fd, std::strerror(errno));
  }
  OpenedFile file;
  file.file = fdopen(fd, mode);
  if (file.file == nullptr) return Refused(fd, std::strerror(errno));
  return file;
}

bool SyncToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}
