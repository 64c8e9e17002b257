#pragma once
// Which implementation stands behind each seam. A program installs its
// platform's implementations at start; tests install the virtual ones with
// ScopedSeams. Nothing here is configuration: the choice is made in code.

#include "seams/DiskInterfaces.h"
#include "seams/Resources.h"
#include "seams/ScsiBackend.h"
#include "seams/Shell.h"
#include "seams/SystemGuards.h"
#include "seams/Volumes.h"

struct Seams {
  ScsiBackend* scsi = nullptr;
  Shell* shell = nullptr;
  DiskInterfaces* disks = nullptr;
  Volumes* volumes = nullptr;
  Resources* resources = nullptr;
  SystemGuards* guards = nullptr;
};

// The seams in force. Unset seams fall back to an empty machine: no device
// opens, no disk interface, no drive letter, no resource; the shell really
// sleeps.
ScsiBackend& ActiveScsiBackend();
Shell& ActiveShell();
DiskInterfaces& ActiveDiskInterfaces();
Volumes& ActiveVolumes();
Resources& ActiveResources();
// Unset, the locks hold within this process only and nothing keeps the
// system awake.
SystemGuards& ActiveSystemGuards();

// Installs `seams` (null members keep the defaults); returns what was in force.
Seams InstallSeams(const Seams& seams);

// Installs seams for the lifetime of a scope and restores the previous ones.
class ScopedSeams {
 public:
  explicit ScopedSeams(const Seams& seams) : previous_(InstallSeams(seams)) {}
  ~ScopedSeams() { InstallSeams(previous_); }
  ScopedSeams(const ScopedSeams&) = delete;
  ScopedSeams& operator=(const ScopedSeams&) = delete;

 private:
  Seams previous_;
};
