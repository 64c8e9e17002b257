// Regular files on Linux: opened with O_NONBLOCK (a FIFO without a writer
// would otherwise hold open() for ever, one without a reader a write), then
// judged by fstat on what was opened, never by a name that can change in
// between.

#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string NotRegular(mode_t mode) {
  const char* kind = S_ISDIR(mode)    ? "a directory"
                     : S_ISFIFO(mode) ? "a FIFO"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "something else";
  return std::string(kind) + ", not a regular file";
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

}  // namespace

OpenedFile OpenRegularFile(const std::string& path, FileUse use) {
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  const char* mode = "rb";
  if (use == FileUse::kAppend) {
    flags |= O_WRONLY | O_APPEND | O_CREAT;
    mode = "ab";
  } else if (use == FileUse::kRewrite) {
    flags |= O_RDWR | O_CREAT;  // emptied once it is known to be a regular file
    mode = "r+b";
  }
  const int fd = open(path.c_str(), flags, 0666);
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
