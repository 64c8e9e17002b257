#pragma once
// The system's drive letters: the logical-drive mask, the Windows directory
// and the drive type of a root path; flushing a volume's file system.

#include "seams/Volumes.h"

class Win32Volumes final : public Volumes {
 public:
  uint32_t LogicalDrives() override;
  uint32_t WindowsDirectory(char* buffer, uint32_t size) override;
  uint32_t DriveType(const char* rootPath) override;
  uint32_t FlushVolume(const char* place) override;
};
