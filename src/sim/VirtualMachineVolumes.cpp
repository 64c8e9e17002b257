// The machine's drive letters: the logical-drive mask, the Windows directory,
// drive types, and the device-number query of a volume path or a disk.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

#include "sim/VirtualMachine.h"

namespace {

constexpr char kLastLetter = 'Z';

uint32_t LetterBit(char letter) {
  return uint32_t{1} << (letter - 'A');
}

bool IsDriveLetter(char letter) {
  return letter >= 'A' && letter <= kLastLetter;
}

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

char VolumeLetter(const char* path) {
  // "\\.\E:" exactly, the letter in either case.
  constexpr char kPrefix[] = "\\\\.\\";
  constexpr size_t kPrefixLength = sizeof kPrefix - 1;
  if (path == nullptr || std::strncmp(path, kPrefix, kPrefixLength) != 0) return 0;
  const char letter = Upper(path[kPrefixLength]);
  if (!IsDriveLetter(letter) || path[kPrefixLength + 1] != ':' || path[kPrefixLength + 2] != 0) {
    return 0;
  }
  return letter;
}

VirtualVolume* VirtualMachine::LookupVolume(char letter) {
  const auto found = std::find_if(volumes_.begin(), volumes_.end(),
                                  [letter](const VirtualVolume& v) { return v.letter == letter; });
  return found == volumes_.end() ? nullptr : &*found;
}

VirtualVolume& VirtualMachine::AddVolume(char letter, const std::string& diskPath,
                                         uint32_t partition, uint32_t driveType) {
  std::lock_guard<std::mutex> guard(lock_);
  VirtualVolume volume;
  volume.letter = Upper(letter);
  volume.diskPath = diskPath;
  volume.partition = partition;
  volume.driveType = driveType;
  if (VirtualVolume* existing = LookupVolume(volume.letter)) {
    *existing = volume;
    return *existing;
  }
  volumes_.push_back(volume);
  return volumes_.back();
}

VirtualVolume& VirtualMachine::AddNetworkDrive(char letter) {
  return AddVolume(letter, std::string(), 0, kDriveRemote);
}

uint32_t VirtualMachine::LogicalDrives() {
  std::lock_guard<std::mutex> guard(lock_);
  return std::accumulate(volumes_.begin(), volumes_.end(), uint32_t{0},
                         [](uint32_t mask, const VirtualVolume& volume) {
                           return IsDriveLetter(volume.letter) ? mask | LetterBit(volume.letter)
                                                               : mask;
                         });
}

uint32_t VirtualMachine::WindowsDirectory(char* buffer, uint32_t size) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto length = static_cast<uint32_t>(windowsDirectory_.size());
  if (length == 0) return 0;
  // As the system does: a buffer too small gets nothing and the size it needs.
  if (buffer == nullptr || length >= size) return length + 1;
  std::memcpy(buffer, windowsDirectory_.c_str(), length + 1);
  return length;
}

uint32_t VirtualMachine::DriveType(const char* rootPath) {
  std::lock_guard<std::mutex> guard(lock_);
  if (rootPath == nullptr || rootPath[0] == 0 || rootPath[1] != ':') return kDriveNoRootDir;
  const VirtualVolume* volume = LookupVolume(Upper(rootPath[0]));
  return volume ? volume->driveType : kDriveNoRootDir;
}

uint32_t VirtualMachine::FlushVolume(const char* place) {
  std::lock_guard<std::mutex> guard(lock_);
  VolumeFlush flush;
  flush.place = place ? place : "";
  flush.afterSequence = sequence_;
  const bool letterForm = flush.place.size() == 2 && flush.place[1] == ':';
  const VirtualVolume* volume = letterForm ? LookupVolume(Upper(flush.place[0])) : nullptr;
  flush.error = volume ? volume->flushError : kErrorFileNotFound;
  flushes_.push_back(flush);
  return flush.error;
}

BackendResult VirtualMachine::QueryVolume(const VirtualVolume& volume, TraceEntry& entry,
                                          StorageDeviceNumber* result) {
  BackendResult outcome;
  const Disk* disk = volume.diskPath.empty() ? nullptr : Lookup(volume.diskPath.c_str());
  if (!volume.diskPath.empty() && (disk == nullptr || !disk->present)) {
    entry.lastError = outcome.lastError = kErrorFileNotFound;
    return outcome;
  }
  outcome.opened = entry.opened = true;
  // A network drive opens but has no disk to name.
  if (disk == nullptr || volume.queryFails) {
    entry.lastError = outcome.lastError = kErrorInvalidFunction;
    return outcome;
  }
  outcome.requestSucceeded = entry.requestSucceeded = true;
  result->DeviceType = kDeviceTypeDisk;
  result->DeviceNumber = disk->number;
  result->PartitionNumber = volume.partition;
  return outcome;
}

BackendResult VirtualMachine::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  std::lock_guard<std::mutex> guard(lock_);
  TraceEntry& entry = Record(path, CommandKind::kQueryDeviceNumber);
  if (const VirtualVolume* volume = LookupVolume(VolumeLetter(path))) {
    return QueryVolume(*volume, entry, result);
  }
  BackendResult outcome;
  Disk* disk = Lookup(path);
  if (disk == nullptr || !disk->present) {
    entry.lastError = outcome.lastError = kErrorFileNotFound;
    return outcome;
  }
  const Faults& faults = disk->chip->faults();
  if (faults.openError != 0) {
    entry.lastError = outcome.lastError = faults.openError;
    return outcome;
  }
  outcome.opened = entry.opened = true;
  if (faults.Fails(CommandKind::kQueryDeviceNumber)) {
    entry.lastError = outcome.lastError = kErrorInvalidFunction;
    return outcome;
  }
  outcome.requestSucceeded = entry.requestSucceeded = true;
  result->DeviceType = kDeviceTypeDisk;
  result->DeviceNumber = disk->number;
  result->PartitionNumber = 0;
  return outcome;
}
