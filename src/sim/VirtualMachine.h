#pragma once
// A machine full of virtual disks: enclosures and plain disks by device path,
// reached through the SCSI seam. Every request is recorded in a trace; faults
// are injected per device (VirtualEnclosure::faults()).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "seams/ScsiBackend.h"
#include "sim/CommandKind.h"
#include "sim/VirtualEnclosure.h"

struct TraceEntry {
  uint32_t sequence = 0;  // 1-based, machine-wide
  std::string path;
  CommandKind kind = CommandKind::kUnknown;
  std::vector<uint8_t> cdb;
  bool dataIn = false;
  ShareMode share = ShareMode::kReadWrite;
  uint32_t length = 0;  // bytes put on the bus
  uint32_t timeoutSeconds = 0;
  bool opened = false;
  bool requestSucceeded = false;
  uint32_t lastError = 0;
  uint8_t scsiStatus = 0;
  uint32_t transferred = 0;

  // The transport's three-part success test.
  bool ok() const { return opened && requestSucceeded && lastError == 0 && scsiStatus == 0; }
};

// System error codes the machine reports, as the system spells them.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorIoDevice = 1117;

// The device type a disk reports in its device-number record.
constexpr uint32_t kDeviceTypeDisk = 7;

class VirtualMachine final : public ScsiBackend {
 public:
  // Adds a disk at `path` (matched without regard to case, as the system does)
  // and returns it; it stays owned by the machine. Disks are numbered in the
  // order they are added.
  VirtualEnclosure& AddDisk(const std::string& path, VirtualEnclosure disk);
  VirtualEnclosure* Find(const std::string& path);
  // Unplugs the disk: opens of its path fail from now on.
  void Remove(const std::string& path);

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;

  const std::vector<TraceEntry>& trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }
  // The entries of one path, or of one kind.
  std::vector<TraceEntry> TraceFor(const std::string& path) const;
  size_t CountOf(CommandKind kind) const;

 private:
  struct Disk {
    std::string path;  // as added
    std::string key;   // lower-cased
    uint32_t number = 0;
    bool present = true;
    uint32_t commands = 0;
    std::unique_ptr<VirtualEnclosure> chip;
  };

  Disk* Lookup(const char* path);
  TraceEntry& Record(const char* path, CommandKind kind);

  std::vector<Disk> disks_;
  std::vector<TraceEntry> trace_;
  uint32_t sequence_ = 0;
};
