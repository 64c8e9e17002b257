#pragma once
// The seam to the system's drive letters (Windows: the logical-drive mask, the
// Windows directory, the drive type), and to the file systems on them. Which disk a volume lies on
// is asked through QueryDeviceNumber on its volume path, like any device.

#include <cstdint>

// Drive types as the system numbers them.
constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdRom = 5;
constexpr uint32_t kDriveRamDisk = 6;

// The system's "not supported", for a flush where there is no file system seam.
constexpr uint32_t kErrorNotSupported = 50;

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

  // Writes out what the system still holds in memory for the file system at
  // `place`: a drive letter ("E:") on Windows, a mount point on Linux. 0 when
  // it was written, else the system's error code.
  virtual uint32_t FlushVolume(const char* place) {
    (void)place;
    return kErrorNotSupported;
  }
};
