#pragma once
// Folders reached without trusting a name: a path is walked from / one
// folder at a time, each opened relative to the one before with
// O_DIRECTORY | O_NOFOLLOW (a symbolic link on the way is refused, never
// followed), and each refused when a user other than root and the one tq214
// runs as could change what it holds: one owned by such a user, one that
// others can write, or a group other than root's or this user's own, unless
// its sticky bit is set (then nobody may rename or remove what is not
// theirs). Whatever a file or lock is then opened relative to the last
// folder's descriptor is in the folder that was checked, whatever is renamed
// meanwhile. The update history, a recorded session and the enclosures'
// lock files are all reached this way.

#include <sys/stat.h>

#include <string>

class WalkedFolder {
 public:
  WalkedFolder() = default;
  ~WalkedFolder();
  WalkedFolder(WalkedFolder&& other) noexcept;
  WalkedFolder& operator=(WalkedFolder&& other) noexcept;
  WalkedFolder(const WalkedFolder&) = delete;
  WalkedFolder& operator=(const WalkedFolder&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }  // an O_PATH descriptor, for the *at() calls
  // Why not: "the folder /x is owned by user 1000, who could change what is in it".
  const std::string& problem() const { return problem_; }
  // A folder on the way is not there (and was not to be made).
  bool missing() const { return missing_; }
  // The refusal is for a link or a folder another user could change (not a
  // folder that is missing, is a file, or cannot be opened).
  bool unsafe() const { return unsafe_; }

 private:
  friend WalkedFolder WalkToFolder(const std::string& path, bool make, mode_t mode);
  int fd_ = -1;
  std::string problem_;
  bool missing_ = false;
  bool unsafe_ = false;
};

// The folder `path` (absolute, or from the working folder), walked from /.
// `make`: a missing folder on the way is made (`mode`) with mkdirat in the
// folder walked before it, then walked as any other.
WalkedFolder WalkToFolder(const std::string& path, bool make = false, mode_t mode = 0700);

// The folder and the last name of `path`: "/a/b" gives "/a" and "b", "b"
// gives "." and "b". False when there is no last name ("", "/", "a/").
bool SplitLastName(const std::string& path, std::string* folder, std::string* name);

// Why another user could change what a folder holds; "" when nobody but
// root and this user can.
std::string ChangeableByOthers(const struct stat& folder);

// "user 1000", "group 6", "0755": the words of the refusals.
std::string ModeText(mode_t mode);
