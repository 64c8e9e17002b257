#include "seams/Seams.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "seams/ConsoleShell.h"

namespace {

// Used until a program installs its platform backend: no device can be opened.
class NoDeviceBackend final : public ScsiBackend {
 public:
  BackendResult Execute(const ScsiRequest&) override { return {}; }
  BackendResult QueryDeviceNumber(const char*, StorageDeviceNumber*) override { return {}; }
};

class ThreadSleepShell final : public ConsoleShell {
 public:
  void Sleep(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  int ShowMessageBox(const char* text, const char* caption, uint32_t) override {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return kIdOk;
  }
};

class NoDisks final : public DiskInterfaces {
 public:
  bool Open() override { return true; }
  InterfaceStep Get(uint32_t, std::string*) override { return InterfaceStep::kEndOfList; }
  void Close() override {}
};

class NoVolumes final : public Volumes {
 public:
  uint32_t LogicalDrives() override { return 0; }
  uint32_t WindowsDirectory(char*, uint32_t) override { return 0; }
  uint32_t DriveType(const char*) override { return kDriveNoRootDir; }
};

class NoResources final : public Resources {
 public:
  ResourceLookup Find(const char*, const char*) override {
    ResourceLookup lookup;
    lookup.lastError = 1813;  // the system's "resource type not found"
    return lookup;
  }
};

NoDeviceBackend gNoDeviceBackend;
NoDisks gNoDisks;
NoVolumes gNoVolumes;
NoResources gNoResources;
ThreadSleepShell gThreadSleepShell;
Seams gSeams;

}  // namespace

ScsiBackend& ActiveScsiBackend() {
  if (gSeams.scsi) return *gSeams.scsi;
  return gNoDeviceBackend;
}

Shell& ActiveShell() {
  if (gSeams.shell) return *gSeams.shell;
  return gThreadSleepShell;
}

DiskInterfaces& ActiveDiskInterfaces() {
  if (gSeams.disks) return *gSeams.disks;
  return gNoDisks;
}

Volumes& ActiveVolumes() {
  if (gSeams.volumes) return *gSeams.volumes;
  return gNoVolumes;
}

Resources& ActiveResources() {
  if (gSeams.resources) return *gSeams.resources;
  return gNoResources;
}

Seams InstallSeams(const Seams& seams) {
  Seams previous = gSeams;
  gSeams = seams;
  return previous;
}
