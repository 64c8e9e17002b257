#include "platform/linux/SysfsDisks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr char kNodeDirectory[] = "/dev/";
constexpr char kDiskPrefix[] = "sd";

// The drivers of the three transports; sbp2 is the old 1394 stack's.
bool TransportOfDriver(const std::string& driver, DiskTransport* transport) {
  if (driver == "usb-storage") {
    *transport = DiskTransport::kUsbMassStorage;
  } else if (driver == "uas") {
    *transport = DiskTransport::kUas;
  } else if (driver == "firewire_sbp2" || driver == "sbp2") {
    *transport = DiskTransport::kSbp2;
  } else {
    return false;
  }
  return true;
}

// The bus words of the shared discovery, one per transport.
const char* BusWord(DiskTransport transport) {
  switch (transport) {
    case DiskTransport::kUas:
      return "scsi";
    case DiskTransport::kSbp2:
      return "sbp2";
    case DiskTransport::kUsbMassStorage:
      break;
  }
  return "usbstor";
}

bool IsDiskName(const std::string& name) {
  if (name.compare(0, sizeof kDiskPrefix - 1, kDiskPrefix) != 0) return false;
  if (name.size() == sizeof kDiskPrefix - 1) return false;
  return std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The kernel's order: shorter names first (sdz before sdaa), then by letters.
bool KernelOrder(const SysfsDisk& a, const SysfsDisk& b) {
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.name < b.name;
}

bool Inside(const fs::path& dir, const fs::path& root) {
  const auto [rootEnd, dirAt] = std::mismatch(root.begin(), root.end(), dir.begin(), dir.end());
  return rootEnd == root.end() && dirAt != dir.end();
}

// The driver of the first device above the disk's SCSI device that has one;
// the search stays inside the sysfs tree.
bool TransportOf(const fs::path& root, const fs::path& block, DiskTransport* transport) {
  std::error_code error;
  const fs::path scsiDevice = fs::canonical(block / "device", error);
  if (error) return false;
  for (fs::path dir = scsiDevice.parent_path(); Inside(dir, root); dir = dir.parent_path()) {
    const fs::path link = dir / "driver";
    if (!fs::is_symlink(fs::symlink_status(link, error))) continue;
    const std::string driver = fs::read_symlink(link, error).filename().string();
    if (error) return false;
    return TransportOfDriver(driver, transport);
  }
  return false;
}

}  // namespace

std::vector<SysfsDisk> FindBridgeTransportDisks(const std::string& sysRoot) {
  std::vector<SysfsDisk> disks;
  std::error_code error;
  const fs::path root = fs::canonical(sysRoot, error);
  if (error) return disks;
  for (fs::directory_iterator it(fs::path(sysRoot) / "block", error), end; !error && it != end;
       it.increment(error)) {
    SysfsDisk disk;
    disk.name = it->path().filename().string();
    if (IsDiskName(disk.name) && TransportOf(root, it->path(), &disk.transport)) {
      disks.push_back(std::move(disk));
    }
  }
  std::sort(disks.begin(), disks.end(), KernelOrder);
  return disks;
}

std::string TaggedDiskPath(const SysfsDisk& disk) {
  return std::string(BusWord(disk.transport)) + ":" + kNodeDirectory + disk.name;
}

std::string NodeOfDiskPath(const std::string& path) {
  for (DiskTransport transport :
       {DiskTransport::kUsbMassStorage, DiskTransport::kUas, DiskTransport::kSbp2}) {
    const std::string tag = std::string(BusWord(transport)) + ":";
    if (path.compare(0, tag.size(), tag) == 0) return path.substr(tag.size());
  }
  return path;
}

SysfsDiskInterfaces::SysfsDiskInterfaces(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

bool SysfsDiskInterfaces::Open() {
  std::error_code error;
  if (!fs::is_directory(fs::path(sysRoot_) / "block", error)) return false;
  const std::vector<SysfsDisk> disks = FindBridgeTransportDisks(sysRoot_);
  paths_.resize(disks.size());
  std::transform(disks.begin(), disks.end(), paths_.begin(), TaggedDiskPath);
  open_ = true;
  return true;
}

InterfaceStep SysfsDiskInterfaces::Get(uint32_t index, std::string* path) {
  if (!open_ || index >= paths_.size()) return InterfaceStep::kEndOfList;
  *path = paths_[index];
  return InterfaceStep::kPath;
}

void SysfsDiskInterfaces::Close() {
  open_ = false;
  paths_.clear();
}

std::string DiskPlaceInSysfs(const std::string& sysRoot, const std::string& node) {
  const std::string name = std::filesystem::path(node).filename().string();
  if (name.empty()) return "";
  std::error_code error;
  const std::string device =
      std::filesystem::canonical(sysRoot + "/block/" + name + "/device", error).string();
  if (error) return "";
  const size_t host = device.find("/host");
  return host == std::string::npos ? device : device.substr(0, host);
}

std::string UsbSerialOfDisk(const std::string& sysRoot, const std::string& node) {
  const std::string place = DiskPlaceInSysfs(sysRoot, node);
  if (place.empty()) return "";
  // The place is the USB interface ("2-1:1.0"); its parent is the device.
  std::ifstream file(std::filesystem::path(place).parent_path() / "serial");
  std::string serial;
  std::getline(file, serial);
  return serial;
}
