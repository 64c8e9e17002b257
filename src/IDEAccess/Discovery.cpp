#include "IDEAccess/Discovery.h"

#include <cstring>
#include <string>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/DeviceSpan.h"
#include "seams/Seams.h"

namespace {

// Bus words in a disk interface path, matched case-sensitively.
constexpr char kUsbMassStorageWord[] = "usbsto";
constexpr char kIeee1394Word[] = "sbp2";
constexpr char kScsiClassWord[] = "scsi";  // includes UAS

bool PassesBusFilter(const std::string& path, uint8_t include1394) {
  return path.find(kUsbMassStorageWord) != std::string::npos ||
         (include1394 != 0 && path.find(kIeee1394Word) != std::string::npos) ||
         path.find(kScsiClassWord) != std::string::npos;
}

}  // namespace

// A disk that does not answer the first probe may still answer the register
// word; its two bytes are not looked at.
bool AnswersBridge(const char* devicePath) {
  if (IsBridgeDisk(devicePath)) return true;
  uint8_t word[kBridgeWordLength] = {};
  return ReadBridgeWord(devicePath, word) != 0;
}

std::vector<std::string> ListBusDiskPaths(uint8_t include1394) {
  std::vector<std::string> paths;
  DiskInterfaces& interfaces = ActiveDiskInterfaces();
  if (!interfaces.Open()) return paths;
  std::string path;
  for (uint32_t index = 0; interfaces.Get(index, &path) == InterfaceStep::kPath; ++index) {
    if (PassesBusFilter(path, include1394) && path.size() <= kMaxStoredPathLength) {
      paths.push_back(path);
    }
  }
  interfaces.Close();
  return paths;
}

int IsBridgeDisk(const char* devicePath) {
  uint8_t inquiry[kInquiryLength] = {};
  if (!Inquiry(devicePath, inquiry, kInquiryLength)) return 0;
  uint8_t info[kChipInfoLength] = {};
  uint32_t transferred = 0;
  return GetChipInfo(devicePath, info, kChipInfoLength, &transferred) ? 1 : 0;
}

EnclosureLock UnlessBeingWritten(const char* devicePath) {
  return ActiveSystemGuards().ShareEnclosure(devicePath);
}

int EnumerateBridgeDisks(PathTable& paths, uint8_t include1394, const ProbeGate& gate) {
  DiskInterfaces& interfaces = ActiveDiskInterfaces();
  if (!interfaces.Open()) return 0;

  size_t stored = 0;
  std::string path;
  for (uint32_t index = 0; stored < kPathTableEntries; ++index) {
    // The end of the list, and an interface whose detail cannot be read, both
    // end the enumeration; what was stored is kept.
    if (interfaces.Get(index, &path) != InterfaceStep::kPath) break;
    if (!PassesBusFilter(path, include1394)) continue;
    if (path.size() > kMaxStoredPathLength) continue;
    const EnclosureLock probing = gate(path.c_str());
    if (probing.taken()) {
      // The probe's commands reach one device, through one handle.
      const DeviceSpan span(path);
      if (!AnswersBridge(path.c_str())) continue;
    }
    char* entry = paths[stored];
    std::memcpy(entry, path.data(), path.size());
    entry[path.size()] = '\0';
    ++stored;
  }
  interfaces.Close();
  return static_cast<int>(stored);
}

Bus BusOfPath(const char* devicePath) {
  if (std::strstr(devicePath, kIeee1394Word)) return Bus::kFirewire;
  if (std::strstr(devicePath, kScsiClassWord)) return Bus::kUas;
  return Bus::kUsb;
}
