#include "platform/linux/FolderWalk.h"

#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr char kLinkRefused[] = "is a symbolic link, never followed";
// getgrgid_r's buffer: grown until the group's entry fits, up to this.
constexpr size_t kMaxGroupBuffer = size_t{1} << 20;

// Whether the group holds nobody but this user: root's, or this user's own
// primary group with no members listed.
bool TrustedGroup(gid_t group) {
  if (group == 0) return true;
  if (group != getegid()) return false;
  std::vector<char> buffer(4096);
  struct group entry {};
  struct group* found = nullptr;
  int error = 0;
  while ((error = getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < kMaxGroupBuffer) {
    buffer.resize(buffer.size() * 2);
  }
  return error == 0 && found != nullptr && (entry.gr_mem == nullptr || entry.gr_mem[0] == nullptr);
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// "the folder /x is ...".
std::string AboutFolder(const std::string& folder, const std::string& why) {
  std::string text = "the folder ";
  text += folder;
  text += ' ';
  text += why;
  return text;
}

// Why `name` in `at` did not open as a folder.
std::string NotAFolder(int at, const std::string& name, int error) {
  struct stat seen {};
  if (fstatat(at, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(seen.st_mode)) return kLinkRefused;
    if (!S_ISDIR(seen.st_mode)) return "is not a folder";
  }
  return std::string("cannot be opened (") + std::strerror(error) + ")";
}

}  // namespace

WalkedFolder::~WalkedFolder() {
  if (fd_ >= 0) close(fd_);
}

WalkedFolder::WalkedFolder(WalkedFolder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      problem_(std::move(other.problem_)),
      missing_(other.missing_),
      unsafe_(other.unsafe_) {}

WalkedFolder& WalkedFolder::operator=(WalkedFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    problem_ = std::move(other.problem_);
    missing_ = other.missing_;
    unsafe_ = other.unsafe_;
  }
  return *this;
}

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

std::string ChangeableByOthers(const struct stat& folder) {
  if (folder.st_uid != 0 && folder.st_uid != geteuid()) {
    return "is owned by user " + std::to_string(folder.st_uid) + ", who could change what is in it";
  }
  if ((folder.st_mode & S_ISVTX) != 0) return "";
  if ((folder.st_mode & S_IWOTH) != 0) {
    return "can be written by others (mode " + ModeText(folder.st_mode) + ")";
  }
  if ((folder.st_mode & S_IWGRP) != 0 && !TrustedGroup(folder.st_gid)) {
    return "can be written by group " + std::to_string(folder.st_gid) + " (mode " +
           ModeText(folder.st_mode) + ")";
  }
  return "";
}

bool SplitLastName(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name->empty() || *name == "." || *name == "..") return false;
  if (slash == std::string::npos) {
    *folder = ".";
  } else {
    *folder = slash == 0 ? "/" : path.substr(0, slash);
  }
  return true;
}

WalkedFolder WalkToFolder(const std::string& path, bool make, mode_t mode) {
  WalkedFolder walked;
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    // The working folder as the kernel names it: no link in it.
    std::vector<char> here(4096);
    if (getcwd(here.data(), here.size()) == nullptr) {
      walked.problem_ =
          std::string("the working folder cannot be named (") + std::strerror(errno) + ")";
      return walked;
    }
    full = std::string(here.data()) + "/" + full;
  }
  int fd = open("/", kFolderFlags);
  std::string reached = "/";
  size_t start = 0;
  while (fd >= 0) {
    struct stat seen {};
    const std::string wrong =
        fstat(fd, &seen) != 0 ? "cannot be examined" : ChangeableByOthers(seen);
    if (!wrong.empty()) {
      walked.problem_ = AboutFolder(reached, wrong);
      walked.unsafe_ = true;
      break;
    }
    while (start < full.size() && full[start] == '/') ++start;
    if (start >= full.size()) {
      walked.fd_ = fd;
      return walked;
    }
    const size_t end = std::min(full.find('/', start), full.size());
    const std::string name = full.substr(start, end - start);
    start = end;
    if (name == ".") continue;
    const std::string next = Joined(reached, name);
    int opened = openat(fd, name.c_str(), kFolderFlags);
    if (opened < 0 && errno == ENOENT && make &&
        (mkdirat(fd, name.c_str(), mode) == 0 || errno == EEXIST)) {
      opened = openat(fd, name.c_str(), kFolderFlags);
    }
    if (opened < 0) {
      const int error = errno;
      walked.missing_ = error == ENOENT;
      const std::string why = walked.missing_ ? "is not there" : NotAFolder(fd, name, error);
      walked.unsafe_ = why == kLinkRefused;
      walked.problem_ = AboutFolder(next, why);
      break;
    }
    close(fd);
    fd = opened;
    reached = next;
  }
  if (fd >= 0) close(fd);
  if (walked.problem_.empty()) {
    walked.problem_ = std::string("/ cannot be opened (") + std::strerror(errno) + ")";
  }
  return walked;
}
