#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32ScsiBackend.h"
#include "platform/win32/Win32Shell.h"

Seams Win32PlatformSeams() {
  static Win32ScsiBackend backend;
  static Win32Shell shell;
  Seams seams;
  seams.scsi = &backend;
  seams.shell = &shell;
  return seams;
}
