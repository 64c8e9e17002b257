#include "platform/win32/Win32Volumes.h"

#include <windows.h>

static_assert(DRIVE_REMOTE == kDriveRemote, "network drive type");
static_assert(DRIVE_FIXED == kDriveFixed && DRIVE_REMOVABLE == kDriveRemovable &&
                  DRIVE_NO_ROOT_DIR == kDriveNoRootDir && DRIVE_CDROM == kDriveCdRom &&
                  DRIVE_RAMDISK == kDriveRamDisk && DRIVE_UNKNOWN == kDriveUnknown,
              "drive types");

uint32_t Win32Volumes::LogicalDrives() {
  return static_cast<uint32_t>(GetLogicalDrives());
}

uint32_t Win32Volumes::WindowsDirectory(char* buffer, uint32_t size) {
  const UINT length = GetWindowsDirectoryA(buffer, size);
  // A result of `size` or more is the size a larger buffer would need.
  return length < size ? length : 0;
}

uint32_t Win32Volumes::DriveType(const char* rootPath) {
  return static_cast<uint32_t>(GetDriveTypeA(rootPath));
}
