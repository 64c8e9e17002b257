#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32DiskInterfaces.h"
#include "platform/win32/Win32Guards.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32ScsiBackend.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Volumes.h"

Seams Win32PlatformSeams() {
  static Win32ScsiBackend backend;
  static Win32Shell shell;
  static Win32DiskInterfaces disks;
  static Win32Volumes volumes;
  static Win32Resources resources;
  static Win32Guards guards(backend);
  Seams seams;
  seams.guards = &guards;
  seams.resources = &resources;
  seams.disks = &disks;
  seams.volumes = &volumes;
  seams.scsi = &backend;
  seams.shell = &shell;
  return seams;
}
