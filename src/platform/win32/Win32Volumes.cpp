#include "platform/win32/Win32Volumes.h"

#include <windows.h>

#include <string>

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

uint32_t Win32Volumes::FlushVolume(const char* place) {
  // The volume itself ("\\.\E:"), opened for writing: flushing it writes out
  // every file's cached data and the file system's own.
  const std::string volume = std::string("\\\\.\\") + place;
  HANDLE handle =
      CreateFileA(volume.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return static_cast<uint32_t>(GetLastError());
  SetLastError(0);
  const BOOL flushed = FlushFileBuffers(handle);
  const uint32_t error = flushed ? 0 : static_cast<uint32_t>(GetLastError());
  CloseHandle(handle);
  return flushed ? 0 : (error != 0 ? error : kErrorNotSupported);
}
