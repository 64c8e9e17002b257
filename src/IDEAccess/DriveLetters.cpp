#include "IDEAccess/DriveLetters.h"

#include <cstdint>
#include <cstdio>

#include "IDEAccess/ScsiTransport.h"
#include "seams/Seams.h"

namespace {

// The Windows directory is read into a zero-filled buffer of this size.
constexpr uint32_t kWindowsDirectorySize = 512;
// The logical-drive mask has one bit per letter, A to Z.
constexpr unsigned kLetterCount = 26;

// "E:\" and "\\.\E:", each with its NUL.
constexpr size_t kRootPathSize = 4;
constexpr size_t kVolumePathSize = 7;

bool LiesOnDisk(char letter, const StorageDeviceNumber& disk) {
  char volumePath[kVolumePathSize];
  std::snprintf(volumePath, sizeof volumePath, "\\\\.\\%c:", letter);
  StorageDeviceNumber volume;
  if (!QueryDeviceNumber(volumePath, &volume)) return false;
  // Every partition of the disk counts: PartitionNumber is not compared.
  return volume.DeviceType == disk.DeviceType && volume.DeviceNumber == disk.DeviceNumber;
}

}  // namespace

void FindDriveLetters(const char* devicePath, char (&letters)[kDriveLettersSize]) {
  StorageDeviceNumber disk;
  if (!QueryDeviceNumber(devicePath, &disk)) return;

  Volumes& volumes = ActiveVolumes();
  uint32_t mask = volumes.LogicalDrives();
  char windowsDirectory[kWindowsDirectorySize] = {};
  volumes.WindowsDirectory(windowsDirectory, kWindowsDirectorySize);
  // The system drive's letter as the system spells it, compared byte for byte.
  const char systemLetter = windowsDirectory[0];

  size_t count = 0;
  for (unsigned n = 0; n < kLetterCount && mask != 0 && count < kMaxDriveLetters; ++n, mask >>= 1) {
    const char letter = static_cast<char>('A' + n);
    if ((mask & 1) == 0 || letter == systemLetter) continue;
    char rootPath[kRootPathSize];
    std::snprintf(rootPath, sizeof rootPath, "%c:\\", letter);
    if (volumes.DriveType(rootPath) == kDriveRemote) continue;
    if (LiesOnDisk(letter, disk)) letters[count++] = letter;
  }
  letters[count] = '\0';
}
