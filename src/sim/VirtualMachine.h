#pragma once
// A machine full of virtual disks: enclosures and plain disks by device path,
// reached through the SCSI seam. Every request is recorded in a trace; faults
// are injected per device (VirtualEnclosure::faults()).
//
// The machine also stands behind the discovery seams:
// - Disk interfaces: its present disks, in the order they were added, are the
//   system's list of disk interfaces, each path as it was added. The detail of
//   interface k can be made to fail, and the whole list to be unavailable; the
//   machine counts opens and closes of the list.
// - Volumes: drive letters added with AddVolume lie on one of its disks (or on
//   none, for a network drive). `\\.\E:` answers the device-number query
//   with the disk's type (7) and number and the volume's partition; every
//   query, of a disk or of a volume, is recorded in the trace as
//   kQueryDeviceNumber. The Windows directory is "C:\WINDOWS" unless set.
// - Handles: a span's handle reaches the disk that was at its path when it
//   was opened. Every disk that arrives (added, plugged in again, or put in
//   the place of another) gets the next arrival number; a handle of an
//   earlier arrival answers as a handle of an unplugged disk does, whatever
//   is at the path now. Opening a handle is no command and is not traced.
// - Device numbers: disk k added is number k; a disk put in another's place
//   takes its number, as the system gives it its name. A disk's own query fails when
//   its faults make every kQueryDeviceNumber fail (the device opens but the
//   request is refused) or its opens fail.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "seams/DiskInterfaces.h"
#include "seams/ScsiBackend.h"
#include "seams/Volumes.h"
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
  // Which arrival of a disk answered (VirtualMachine::ArrivalOf); 0 when no
  // disk did (not there, or the request went through a handle of one gone).
  uint64_t unit = 0;

  // The transport's three-part success test.
  bool ok() const { return opened && requestSucceeded && lastError == 0 && scsiStatus == 0; }
};

// System error codes the machine reports, as the system spells them.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorDeviceNotConnected = 1167;

// The device type a disk reports in its device-number record.
constexpr uint32_t kDeviceTypeDisk = 7;

// A drive letter of the machine.
struct VirtualVolume {
  char letter = 'C';
  std::string diskPath;  // the disk it lies on; empty for a network drive
  uint32_t partition = 1;
  uint32_t driveType = kDriveFixed;
  bool queryFails = false;  // it opens, but the device-number request fails
  uint32_t flushError = 0;  // non-zero: flushing its file system fails with it
};

// One flush of a volume's file system, and where it fell among the commands.
struct VolumeFlush {
  std::string place;
  uint32_t afterSequence = 0;  // the trace sequence of the last command before it
  uint32_t error = 0;
};

// The upper-case drive letter of a volume path "\\.\E:"; 0 for any other path.
char VolumeLetter(const char* path);

// Shared by every thread of a run: its disks, volumes and trace are guarded by
// one lock, held for a command's own work but not while the after-command
// hook runs (a hook may take a real chip's time, in parallel with other
// devices). What a disk's chip holds is per device. The trace, Find and the
// faults are for single-threaded set-up and for looking after the run.
class VirtualMachine final : public ScsiBackend, public DiskInterfaces, public Volumes {
 public:
  // Adds a disk at `path` (matched without regard to case, as the system does)
  // and returns it; it stays owned by the machine. Disks are numbered in the
  // order they are added.
  VirtualEnclosure& AddDisk(const std::string& path, VirtualEnclosure disk);
  VirtualEnclosure* Find(const std::string& path);
  // Unplugs the disk: opens of its path fail from now on.
  void Remove(const std::string& path);
  // Plugs it in again: the chip restarts (VirtualEnclosure::PowerCycle).
  void Reattach(const std::string& path);
  // Unplugs the disk at `path` and plugs `newcomer` in, which the system
  // gives the same name and number: another unit, with `serial` as its USB
  // serial number ("" for the one its path carries).
  void Replace(const std::string& path, VirtualEnclosure newcomer, const std::string& serial = "");
  // The same, right after the k-th command (1-based) that reaches the disk
  // at `path` from now on.
  void ReplaceAfterCommands(const std::string& path, uint32_t k, VirtualEnclosure newcomer,
                            const std::string& serial = "");
  // The arrival number of what is at `path` now; 0 when nothing is there.
  uint64_t ArrivalOf(const std::string& path) const;
  // The serial number given by Replace; "" when the path's own stands.
  std::string SerialOf(const std::string& path) const;
  bool Present(const std::string& path);
  // The port the disk at `path` is plugged into: its path (as a Windows
  // interface path of a disk without a serial number is made up from its
  // port) unless set. Setting another stands for another enclosure that was
  // given this one's name.
  void SetPort(const std::string& path, const std::string& port);
  std::string PortOf(const std::string& path) const;

  // Called after every SCSI command with its finished trace entry (the demo
  // uses it to take a real chip's time and to re-enumerate after an update).
  void SetAfterCommand(std::function<void(const TraceEntry&)> hook) {
    std::lock_guard<std::mutex> guard(lock_);
    afterCommand_ = std::move(hook);
  }

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;
  DeviceReach reach() const override { return DeviceReach::kVirtual; }
  bool KeepsHandles() const override { return true; }
  std::unique_ptr<DeviceHandle> OpenHandle(const char* path) override;
  // The disk's number and its arrival number as the sequence.
  bool IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) override;

  // --- Disk interfaces ---
  bool Open() override;
  InterfaceStep Get(uint32_t index, std::string* path) override;
  void Close() override;
  // Get(index) reports kDetailFailed for this interface of the list.
  void FailInterfaceDetail(uint32_t index) { failedDetail_ = index; }
  void SetInterfaceListAvailable(bool available) { listAvailable_ = available; }
  uint32_t interfaceListOpens() const { return listOpens_; }
  uint32_t interfaceListCloses() const { return listCloses_; }
  bool interfaceListOpen() const { return listOpen_; }

  // --- Volumes ---
  // Adds (or replaces) drive `letter`, an upper-case letter A to Z.
  VirtualVolume& AddVolume(char letter, const std::string& diskPath, uint32_t partition,
                           uint32_t driveType = kDriveFixed);
  // A mapped network drive: it lies on none of the machine's disks.
  VirtualVolume& AddNetworkDrive(char letter);
  // What WindowsDirectory answers; an empty text makes it fail.
  void SetWindowsDirectory(const std::string& directory) { windowsDirectory_ = directory; }
  uint32_t LogicalDrives() override;
  uint32_t WindowsDirectory(char* buffer, uint32_t size) override;
  uint32_t DriveType(const char* rootPath) override;
  // "E:" of a volume of the machine; recorded in flushes().
  uint32_t FlushVolume(const char* place) override;
  const std::vector<VolumeFlush>& flushes() const { return flushes_; }

  const std::vector<TraceEntry>& trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }
  // The entries of one path, or of one kind.
  std::vector<TraceEntry> TraceFor(const std::string& path) const;
  size_t CountOf(CommandKind kind) const;

 private:
  BackendResult ExecuteOnDisk(const ScsiRequest& request, TraceEntry& entry);
  std::function<void(const TraceEntry&)> afterCommand_;
  struct Disk {
    std::string path;  // as added
    std::string key;   // lower-cased
    std::string port;  // "" for its path
    uint32_t number = 0;
    bool present = true;
    uint32_t writePieces = 0;
    uint32_t commands = 0;
    uint64_t arrival = 0;
    std::string serial;  // "" for the path's own
    std::unique_ptr<VirtualEnclosure> chip;
    // A unit put in its place after `replaceAfter` more commands (0: none).
    uint32_t replaceAfter = 0;
    std::unique_ptr<VirtualEnclosure> newcomer;
    std::string newcomerSerial;
  };

  Disk* Lookup(const char* path);
  const Disk* Lookup(const char* path) const;
  Disk* Reached(const ScsiRequest& request, TraceEntry& entry, BackendResult& result);
  // Counts a command on `disk`, a write's piece when `piece`: true when the
  // disk was unplugged while the piece was on its way.
  static bool CountCommand(Disk& disk, bool piece);
  void Arrive(Disk& disk, std::unique_ptr<VirtualEnclosure> chip, const std::string& serial);
  VirtualVolume* LookupVolume(char letter);
  TraceEntry& Record(const char* path, CommandKind kind);
  BackendResult QueryVolume(const VirtualVolume& volume, TraceEntry& entry,
                            StorageDeviceNumber* result);

  std::vector<Disk> disks_;
  std::deque<VirtualVolume> volumes_;  // a deque: AddVolume's references stay valid
  std::string windowsDirectory_ = "C:\\WINDOWS";
  uint32_t failedDetail_ = UINT32_MAX;
  bool listAvailable_ = true;
  bool listOpen_ = false;
  uint32_t listOpens_ = 0;
  uint32_t listCloses_ = 0;
  std::vector<TraceEntry> trace_;
  std::vector<VolumeFlush> flushes_;
  uint32_t sequence_ = 0;
  uint64_t arrivals_ = 0;
  mutable std::mutex lock_;
};
