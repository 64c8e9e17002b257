#include "seams/Seams.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "seams/AsciiCase.h"
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

// Locks that hold within this process only.
class ProcessGuards final : public SystemGuards {
 public:
  EnclosureLock LockEnclosure(const char* path) override {
    std::unique_ptr<SystemGuard> guard = Lock(path);
    return guard ? TakenLock(std::move(guard)) : BusyLock();
  }
  bool EnclosureBusy(const char* path) override {
    std::lock_guard<std::mutex> guard(lock_);
    return locked_.count(LockKeyOf(path)) != 0;
  }
  std::unique_ptr<SystemGuard> Lock(const char* path) {
    std::lock_guard<std::mutex> guard(lock_);
    const std::string key = LockKeyOf(path);
    if (!locked_.insert(key).second) return nullptr;
    return std::make_unique<Held>(*this, key);
  }
  std::unique_ptr<SystemGuard> KeepAwake(std::string* note) override {
    *note = "this machine offers no way to keep the system awake";
    return nullptr;
  }

 private:
  class Held final : public SystemGuard {
   public:
    Held(ProcessGuards& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    ~Held() override {
      std::lock_guard<std::mutex> guard(owner_.lock_);
      owner_.locked_.erase(path_);
    }

   private:
    ProcessGuards& owner_;
    std::string path_;
  };

  std::mutex lock_;
  std::set<std::string> locked_;
};

NoDeviceBackend gNoDeviceBackend;
ProcessGuards gProcessGuards;
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

std::string LockKeyOf(const char* path) {
  return AsciiLower(path);
}

EnclosureLock TakenLock(std::unique_ptr<SystemGuard> guard) {
  EnclosureLock lock;
  lock.outcome = LockOutcome::kTaken;
  lock.guard = std::move(guard);
  return lock;
}

EnclosureLock BusyLock() {
  EnclosureLock lock;
  lock.outcome = LockOutcome::kBusy;
  return lock;
}

EnclosureLock RefusedLock(std::string problem) {
  EnclosureLock lock;
  lock.outcome = LockOutcome::kRefused;
  lock.problem = std::move(problem);
  return lock;
}

EnclosureLock SystemGuards::ShareEnclosure(const char* path) {
  if (EnclosureBusy(path)) return BusyLock();
  return TakenLock(nullptr);
}

std::unique_ptr<SystemGuard> LockWithinProcess(const char* path) {
  return gProcessGuards.Lock(path);
}

bool BusyWithinProcess(const char* path) {
  return gProcessGuards.EnclosureBusy(path);
}

SystemGuards& ProcessOnlyGuards() {
  return gProcessGuards;
}

SystemGuards& ActiveSystemGuards() {
  if (gSeams.guards) return *gSeams.guards;
  return gProcessGuards;
}

Seams InstallSeams(const Seams& seams) {
  Seams previous = gSeams;
  gSeams = seams;
  return previous;
}
