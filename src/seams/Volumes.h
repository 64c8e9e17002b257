#pragma once
// The seam to the system's drive letters (Windows: the logical-drive mask, the
// Windows directory, the drive type). Which disk a volume lies on is asked
// through QueryDeviceNumber on its volume path, like any device.

#include <cstdint>

// Drive types as the system numbers them.
constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdRom = 5;
constexpr uint32_t kDriveRamDisk = 6;

class Volumes {
 public:
  virtual ~Volumes() = default;

  // Bit n set: drive letter 'A' + n exists.
  virtual uint32_t LogicalDrives() = 0;
  // Writes the Windows directory (zero-terminated) into `buffer` of `size`
  // bytes; returns its length, 0 on failure.
  virtual uint32_t WindowsDirectory(char* buffer, uint32_t size) = 0;
  // The drive type of a root path such as "E:\".
  virtual uint32_t DriveType(const char* rootPath) = 0;
};
