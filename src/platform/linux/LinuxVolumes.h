#pragma once
// Linux has no drive letters: the letter queries answer none. What it has is
// file systems mounted from a disk, and flushing one of them by its mount
// point.

#include "seams/Volumes.h"

class LinuxVolumes final : public Volumes {
 public:
  uint32_t LogicalDrives() override { return 0; }
  uint32_t WindowsDirectory(char*, uint32_t) override { return 0; }
  uint32_t DriveType(const char*) override { return kDriveNoRootDir; }
  // syncfs on the file system mounted at `place`; 0 or errno.
  uint32_t FlushVolume(const char* place) override;
};
