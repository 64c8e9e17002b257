#include "platform/linux/LinuxGuards.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/LockFile.h"
#include "platform/linux/LogindInhibitor.h"
#include "platform/linux/SysfsDisks.h"

namespace {

constexpr char kDefaultLockDir[] = "/run/tq214";
constexpr char kInhibitorWho[] = "tq214";
constexpr char kInhibitorWhy[] = "Updating enclosure firmware";
// Lock file names stay well within a file name's 255 bytes.
constexpr size_t kMaxNameLength = 200;

// A file name from any text: letters, digits, '.', '-' kept, the rest '_'.
std::string FileNameOf(const std::string& text) {
  std::string name;
  for (const char c : text) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-';
    name += kept ? c : '_';
  }
  // The end of a long place is the part that tells enclosures apart.
  return name.size() > kMaxNameLength ? name.substr(name.size() - kMaxNameLength) : name;
}

// The group of the device node a disk path leads to: those who may open the
// device. -1 (the lock folder's) for a path that is no node.
gid_t DeviceGroupOf(const std::string& path) {
  struct stat node {};
  if (stat(NodeOfDiskPath(path).c_str(), &node) != 0 ||
      !(S_ISBLK(node.st_mode) || S_ISCHR(node.st_mode))) {
    return static_cast<gid_t>(-1);
  }
  return node.st_gid;
}

}  // namespace

class LinuxGuards::Awake final : public SystemGuard {
 public:
  explicit Awake(LinuxGuards& owner) : owner_(owner) {}
  ~Awake() override { owner_.ReleaseAwake(); }

 private:
  LinuxGuards& owner_;
};

LinuxGuards::LinuxGuards(std::string sysRoot, std::string lockDir)
    : sysRoot_(std::move(sysRoot)), lockDir_(std::move(lockDir)), dirNamed_(!lockDir_.empty()) {
  if (!dirNamed_) lockDir_ = kDefaultLockDir;
}

std::string LinuxGuards::LockFileOf(const std::string& path) const {
  const std::string node = NodeOfDiskPath(path);
  std::string place = DiskPlaceInSysfs(sysRoot_, node);
  if (place.empty()) {
    if (node.compare(0, 5, "/dev/") != 0 && !dirNamed_) return "";
    place = LockKeyOf(node.c_str());
  }
  return "tq214-" + FileNameOf(place) + ".lock";
}

EnclosureLock LinuxGuards::LockEnclosure(const char* path) {
  const std::string name = LockFileOf(path);
  // A simulated enclosure without a folder for its locks; a disk of this
  // machine always has a lock file, and is refused when it cannot have it.
  if (name.empty()) return ProcessOnlyGuards().LockEnclosure(path);
  return TakeLockFile(lockDir_, name, LockHold::kExclusive, DeviceGroupOf(path));
}

EnclosureLock LinuxGuards::ShareEnclosure(const char* path) {
  const std::string name = LockFileOf(path);
  if (name.empty()) return SystemGuards::ShareEnclosure(path);
  return TakeLockFile(lockDir_, name, LockHold::kShared, DeviceGroupOf(path));
}

bool LinuxGuards::EnclosureBusy(const char* path) {
  const std::string name = LockFileOf(path);
  if (name.empty()) return BusyWithinProcess(path);
  return LockFileHeld(lockDir_, name);
}

std::unique_ptr<SystemGuard> LinuxGuards::KeepAwake(std::string* note) {
  std::lock_guard<std::mutex> guard(awakeLock_);
  if (inhibitor_ < 0) {
    std::string failure;
    inhibitor_ = TakeLogindInhibitor(kInhibitorWho, kInhibitorWhy, &failure);
    if (inhibitor_ < 0) {
      *note = "the system could not be kept awake: " + failure;
      return nullptr;
    }
  }
  ++awakeUsers_;
  *note = "logind inhibitor taken (sleep, shutdown, lid switch)";
  return std::make_unique<Awake>(*this);
}

void LinuxGuards::ReleaseAwake() {
  std::lock_guard<std::mutex> guard(awakeLock_);
  if (--awakeUsers_ != 0 || inhibitor_ < 0) return;
  close(inhibitor_);
  inhibitor_ = -1;
}
