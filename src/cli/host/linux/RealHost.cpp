// The Linux machine: disks found in sysfs, commands through SG_IO on the
// device node, mount points from the process's mount table.

#include "cli/host/RealHost.h"

#include <pwd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>

#include "cli/host/linux/UeventEvents.h"
#include "platform/linux/LinuxGuards.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/MountPoints.h"
#include "platform/linux/NodePathBackend.h"
#include "platform/linux/SysfsDisks.h"

namespace {

constexpr char kSysRoot[] = "/sys";
constexpr char kProcRoot[] = "/proc";

class LinuxHost final : public Host {
 public:
  explicit LinuxHost(SystemGuards* guards)
      : platform_(LinuxPlatformSeams()), nodes_(*platform_.scsi), disks_(kSysRoot) {
    platform_.guards = guards;
  }

  Seams seams() override {
    Seams seams = platform_;
    seams.scsi = &nodes_;
    seams.disks = &disks_;
    return seams;
  }

  std::string ShownPath(const std::string& path) const override { return NodeOfDiskPath(path); }

  // Symbolic links such as /dev/disk/by-id/... lead to the node.
  std::string ResolveUserPath(const std::string& text) const override {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(text, error);
    return error ? text : resolved.string();
  }

  std::string SerialOf(const std::string& path) const override {
    return UsbSerialOfDisk(kSysRoot, NodeOfDiskPath(path));
  }

  // The USB interface the disk's SCSI host hangs from in sysfs: the port.
  std::string PortOf(const std::string& path) const override {
    return DiskPlaceInSysfs(kSysRoot, NodeOfDiskPath(path));
  }

  std::vector<std::string> Places(const std::string& path) override {
    const std::string node = NodeOfDiskPath(path);
    return MountPointsOfDisk(kSysRoot, kProcRoot, std::filesystem::path(node).filename().string());
  }
  const char* placesKey() const override { return "mountPoints"; }
  const char* placesLabel() const override { return "mounted at"; }

  bool IsAccessError(uint32_t code) const override { return code == EACCES || code == EPERM; }
  std::string ErrorText(uint32_t code) const override {
    return std::strerror(static_cast<int>(code));
  }
  const char* detachVerb() const override { return "Unmount"; }
  std::unique_ptr<DeviceEvents> Events() override {
    std::unique_ptr<DeviceEvents> kernel = UeventEvents::Open();
    if (kernel) return kernel;
    return std::make_unique<PollingEvents>();
  }
  std::string AccessAdvice(uint32_t code) const override {
    if (code == EPERM) {
      return "the kernel refused the bridge's vendor commands (they need CAP_SYS_RAWIO); run "
             "tq214 as root";
    }
    return "permission denied opening the device node; run tq214 as root, or give your user "
           "read-write access to the node";
  }

 private:
  Seams platform_;
  NodePathBackend nodes_;
  SysfsDiskInterfaces disks_;
};

}  // namespace

std::unique_ptr<Host> MakeRealHost(SystemGuards* guards) {
  return std::make_unique<LinuxHost>(guards);
}

Resources* SystemResources() {
  return LinuxPlatformSeams().resources;
}

SystemGuards* SystemGuardsOfPlatform(const std::string& lockDir) {
  static LinuxGuards guards(kSysRoot, lockDir);
  return &guards;
}

std::string DefaultHistoryPath(const ProcessVariables& variables) {
  const std::string& state = variables.stateHome;
  std::string base;
  if (!state.empty() && state[0] == '/' && geteuid() != 0) {
    base = state;
  } else {
    // The home of the user the program runs as, not of the one who ran sudo.
    const passwd* user = getpwuid(geteuid());
    if (user != nullptr && user->pw_dir == nullptr) return "";
    const std::string home = user != nullptr ? user->pw_dir : variables.home;
    if (home.empty() || home[0] != '/') return "";
    base = home + "/.local/state";
  }
  return base + "/tq214/history.jsonl";
}

bool StandardOutputIsTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

size_t TerminalColumns() {
  winsize size{};
  return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void KeepRunningWhenOutputCloses() {
  signal(SIGPIPE, SIG_IGN);
}
