#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/PosixShell.h"
#include "platform/linux/SgIoBackend.h"

Seams LinuxPlatformSeams() {
  static SgIoBackend backend;
  static PosixShell shell;
  Seams seams;
  seams.scsi = &backend;
  seams.shell = &shell;
  return seams;
}
