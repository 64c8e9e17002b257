#include "cli/host/ReplayHost.h"

namespace {

constexpr char kMountPointsKey[] = "mountPoints";
// Error codes that mean "refused": Linux's EPERM and EACCES, the system's
// access denied elsewhere.
constexpr uint32_t kLinuxNotPermitted = 1;
constexpr uint32_t kLinuxAccessDenied = 13;
constexpr uint32_t kAccessDenied = 5;

}  // namespace

ReplayHost::ReplayHost(Session session, Resources* resources)
    : replayer_(std::move(session)), resources_(resources) {}

Seams ReplayHost::seams() {
  Seams seams;
  seams.scsi = &replayer_;
  seams.disks = &replayer_;
  seams.volumes = &replayer_;
  seams.resources = resources_;
  // A recorded machine's enclosures are not this machine's to lock.
  seams.guards = &ProcessOnlyGuards();
  return seams;
}

std::string ReplayHost::ShownPath(const std::string& path) const {
  return replayer_.ShownPathOf(path);
}

std::string ReplayHost::SerialOf(const std::string& path) const {
  const SessionEvent* recorded = replayer_.PlacesOf(path);
  return recorded == nullptr ? Host::SerialOf(path) : recorded->texts->serial;
}

std::vector<std::string> ReplayHost::Places(const std::string& path) {
  const SessionEvent* recorded = replayer_.PlacesOf(path);
  return recorded == nullptr ? std::vector<std::string>() : recorded->texts->Places();
}

bool ReplayHost::MountPoints() const {
  return replayer_.header().placesKey == kMountPointsKey;
}

const char* ReplayHost::placesKey() const {
  return MountPoints() ? kMountPointsKey : "driveLetters";
}

const char* ReplayHost::placesLabel() const {
  return MountPoints() ? "mounted at" : "drives";
}

const char* ReplayHost::detachVerb() const {
  return MountPoints() ? "Unmount" : "Eject";
}

bool ReplayHost::IsAccessError(uint32_t code) const {
  if (MountPoints()) return code == kLinuxNotPermitted || code == kLinuxAccessDenied;
  return code == kAccessDenied;
}

std::string ReplayHost::AccessAdvice(uint32_t) const {
  return "the recorded system refused access to the device";
}
