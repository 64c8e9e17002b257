#include "platform/linux/LinuxPlatform.h"

#include "embedded/EmbeddedResources.h"
#include "platform/linux/LinuxGuards.h"
#include "platform/linux/LinuxVolumes.h"
#include "platform/linux/PosixShell.h"
#include "platform/linux/SgIoBackend.h"

Seams LinuxPlatformSeams() {
  static SgIoBackend backend;
  static PosixShell shell;
  static EmbeddedResources resources;
  static LinuxVolumes volumes;
  static LinuxGuards guards;
  Seams seams;
  seams.guards = &guards;
  seams.volumes = &volumes;
  seams.scsi = &backend;
  seams.shell = &shell;
  seams.resources = &resources;
  return seams;
}
