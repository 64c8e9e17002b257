#include "sim/VirtualMachine.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "seams/AsciiCase.h"
#include "sim/RecordView.h"

namespace {

// A span's handle: the disk at `key` as it was when the handle was opened.
class VirtualHandle final : public DeviceHandle {
 public:
  VirtualHandle(std::string key, uint64_t arrival) : key_(std::move(key)), arrival_(arrival) {}
  const std::string& key() const { return key_; }
  uint64_t arrival() const { return arrival_; }

 private:
  std::string key_;
  uint64_t arrival_;
};

}  // namespace

VirtualEnclosure& VirtualMachine::AddDisk(const std::string& path, VirtualEnclosure disk) {
  std::lock_guard<std::mutex> guard(lock_);
  Disk entry;
  entry.path = path;
  entry.key = AsciiLower(path);
  entry.number = static_cast<uint32_t>(disks_.size());
  entry.arrival = ++arrivals_;
  entry.chip = std::make_unique<VirtualEnclosure>(std::move(disk));
  disks_.push_back(std::move(entry));
  return *disks_.back().chip;
}

VirtualMachine::Disk* VirtualMachine::Lookup(const char* path) {
  return const_cast<Disk*>(static_cast<const VirtualMachine*>(this)->Lookup(path));
}

const VirtualMachine::Disk* VirtualMachine::Lookup(const char* path) const {
  if (path == nullptr) return nullptr;
  const std::string key = AsciiLower(path);
  const auto found =
      std::find_if(disks_.begin(), disks_.end(), [&key](const Disk& d) { return d.key == key; });
  return found == disks_.end() ? nullptr : &*found;
}

void VirtualMachine::Arrive(Disk& disk, std::unique_ptr<VirtualEnclosure> chip,
                            const std::string& serial) {
  disk.chip = std::move(chip);
  disk.serial = serial;
  disk.present = true;
  disk.commands = 0;
  disk.writePieces = 0;
  disk.arrival = ++arrivals_;
}

void VirtualMachine::Replace(const std::string& path, VirtualEnclosure newcomer,
                             const std::string& serial) {
  std::lock_guard<std::mutex> guard(lock_);
  if (Disk* disk = Lookup(path.c_str())) {
    Arrive(*disk, std::make_unique<VirtualEnclosure>(std::move(newcomer)), serial);
  }
}

void VirtualMachine::ReplaceAfterCommands(const std::string& path, uint32_t k,
                                          VirtualEnclosure newcomer, const std::string& serial) {
  std::lock_guard<std::mutex> guard(lock_);
  if (Disk* disk = Lookup(path.c_str())) {
    disk->replaceAfter = disk->commands + k;
    disk->newcomer = std::make_unique<VirtualEnclosure>(std::move(newcomer));
    disk->newcomerSerial = serial;
  }
}

uint64_t VirtualMachine::ArrivalOf(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Disk* disk = Lookup(path.c_str());
  return disk != nullptr && disk->present ? disk->arrival : 0;
}

std::string VirtualMachine::SerialOf(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Disk* disk = Lookup(path.c_str());
  return disk != nullptr ? disk->serial : std::string();
}

std::unique_ptr<DeviceHandle> VirtualMachine::OpenHandle(const char* path) {
  std::lock_guard<std::mutex> guard(lock_);
  const Disk* disk = Lookup(path);
  auto handle = std::make_unique<VirtualHandle>(path ? AsciiLower(path) : std::string(),
                                                disk != nullptr ? disk->arrival : 0);
  if (disk == nullptr || !disk->present) {
    handle->openError = kErrorFileNotFound;
  } else if (disk->chip->faults().openError != 0) {
    handle->openError = disk->chip->faults().openError;
  }
  return handle;
}

bool VirtualMachine::IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto& held = static_cast<const VirtualHandle&>(handle);
  const Disk* disk = Lookup(held.key().c_str());
  if (disk == nullptr || !disk->present || disk->arrival != held.arrival()) return false;
  identity->number.DeviceType = kDeviceTypeDisk;
  identity->number.DeviceNumber = disk->number;
  identity->number.PartitionNumber = 0;
  identity->sequence = disk->arrival;
  return true;
}

VirtualEnclosure* VirtualMachine::Find(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  Disk* disk = Lookup(path.c_str());
  return disk ? disk->chip.get() : nullptr;
}

void VirtualMachine::Reattach(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  if (Disk* disk = Lookup(path.c_str())) {
    disk->present = true;
    disk->writePieces = 0;
    disk->arrival = ++arrivals_;
    disk->chip->PowerCycle();
  }
}

bool VirtualMachine::Present(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  const Disk* disk = Lookup(path.c_str());
  return disk != nullptr && disk->present;
}

void VirtualMachine::SetPort(const std::string& path, const std::string& port) {
  std::lock_guard<std::mutex> guard(lock_);
  if (Disk* disk = Lookup(path.c_str())) disk->port = port;
}

std::string VirtualMachine::PortOf(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Disk* disk = Lookup(path.c_str());
  if (disk == nullptr) return "";
  return disk->port.empty() ? disk->path : disk->port;
}

void VirtualMachine::Remove(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  if (Disk* disk = Lookup(path.c_str())) disk->present = false;
}

TraceEntry& VirtualMachine::Record(const char* path, CommandKind kind) {
  TraceEntry entry;
  entry.sequence = ++sequence_;
  entry.path = path ? path : "";
  entry.kind = kind;
  trace_.push_back(std::move(entry));
  return trace_.back();
}

BackendResult VirtualMachine::Execute(const ScsiRequest& request) {
  TraceEntry finished;
  BackendResult result;
  std::function<void(const TraceEntry&)> hook;
  {
    std::lock_guard<std::mutex> guard(lock_);
    const RecordView view = ReadRecord(request.record);
    const uint8_t cdbLength = std::min<uint8_t>(view.cdbLength, 16);
    TraceEntry& entry = Record(request.path, ClassifyCdb(view.cdb, cdbLength));
    entry.cdb.assign(view.cdb, view.cdb + cdbLength);
    entry.dataIn = view.dataIn;
    entry.share = request.share;
    entry.length = view.transferLength;
    entry.timeoutSeconds = view.timeoutSeconds;
    result = ExecuteOnDisk(request, entry);
    // A unit due to take the disk's place arrives once its command is done.
    Disk* reached = Lookup(request.path);
    if (reached != nullptr && entry.unit == reached->arrival && reached->newcomer &&
        reached->commands >= reached->replaceAfter) {
      reached->replaceAfter = 0;
      Arrive(*reached, std::move(reached->newcomer), reached->newcomerSerial);
    }
    finished = entry;
    hook = afterCommand_;
  }
  if (hook) hook(finished);
  return result;
}

// The disk a request reaches, opened; null with the failure in `entry` and
// `result` when it reaches none.
VirtualMachine::Disk* VirtualMachine::Reached(const ScsiRequest& request, TraceEntry& entry,
                                              BackendResult& result) {
  if (request.handle != nullptr) {
    const auto& held = static_cast<const VirtualHandle&>(*request.handle);
    if (held.openError != 0) {
      entry.lastError = result.lastError = held.openError;
      return nullptr;
    }
    result.opened = entry.opened = true;
    Disk* disk = Lookup(held.key().c_str());
    if (disk == nullptr || !disk->present || disk->arrival != held.arrival()) {
      entry.lastError = result.lastError = kErrorDeviceNotConnected;
      return nullptr;
    }
    return disk;
  }
  Disk* disk = Lookup(request.path);
  if (disk == nullptr || !disk->present) {
    entry.lastError = result.lastError = kErrorFileNotFound;
    return nullptr;
  }
  if (disk->chip->faults().openError != 0) {
    entry.lastError = result.lastError = disk->chip->faults().openError;
    return nullptr;
  }
  result.opened = entry.opened = true;
  return disk;
}

namespace {

// Whether the faults fail this command: the `commands`-th on its disk, and of
// a write, its `writePieces`-th piece.
bool FailureInjected(const Faults& faults, CommandKind kind, uint32_t commands,
                     uint32_t writePieces) {
  const bool piece = kind == CommandKind::kWriteBufferData;
  return faults.Fails(kind) || (faults.failCommandNumber == commands) ||
         commands <= faults.failFirstCommands ||
         (piece && faults.failWritePiecesFrom != 0 && writePieces >= faults.failWritePiecesFrom);
}

// An injected failure of a style that fails the whole command: true when the
// style is one, the request completed as it fails.
bool FailedWhole(VirtualEnclosure& chip, const ScsiRequest& request, TraceEntry& entry,
                 BackendResult& result) {
  switch (chip.faults().style) {
    case FailureStyle::kIoError:
      chip.RecordInjectedFailure();
      CompleteRecord(request.record, 0, 0);
      result.requestSucceeded = false;
      entry.lastError = result.lastError = kErrorIoDevice;
      return true;
    case FailureStyle::kCheckCondition:
      chip.RecordInjectedFailure();
      CompleteRecord(request.record, kStatusCheckCondition, 0);
      result.requestSucceeded = entry.requestSucceeded = true;
      entry.scsiStatus = kStatusCheckCondition;
      return true;
    case FailureStyle::kShortData:
    case FailureStyle::kShortGood:
      break;
  }
  return false;
}

// The chip's answer to the request; with an `injected` failure of the short
// styles, cut short.
void Answer(VirtualEnclosure& chip, const ScsiRequest& request, bool injected, TraceEntry& entry,
            BackendResult& result) {
  const RecordView view = ReadRecord(request.record);
  const uint8_t cdbLength = std::min<uint8_t>(view.cdbLength, 16);
  const Faults& faults = chip.faults();
  ChipReply reply = chip.Execute(view.cdb, cdbLength, view.dataIn, request.data,
                                 request.data ? view.transferLength : 0);
  const bool good = faults.style == FailureStyle::kShortGood;
  // kShortData: half of what the chip sent arrives, and the status says so.
  // kShortGood: a data-in phase ends early and the status is good all the same
  // (a data-out command is left as the chip answered it).
  if (injected && (view.dataIn || !good)) {
    const uint32_t wanted = good ? faults.shortLength : reply.transferred / 2;
    const uint32_t kept = view.dataIn ? std::min(wanted, reply.transferred) : 0;
    if (view.dataIn && request.data) {
      std::memset(request.data + kept, 0, view.transferLength - kept);
    }
    if (!good) chip.RecordInjectedFailure();
    reply = {good ? kStatusGood : kStatusCheckCondition, kept};
  }
  CompleteRecord(request.record, reply.status, reply.transferred);
  result.requestSucceeded = entry.requestSucceeded = true;
  entry.scsiStatus = reply.status;
  entry.transferred = reply.transferred;
}

}  // namespace

bool VirtualMachine::CountCommand(Disk& disk, bool piece) {
  const Faults& faults = disk.chip->faults();
  ++disk.commands;
  if (faults.vanishAfterCommands != 0 && disk.commands >= faults.vanishAfterCommands) {
    disk.present = false;  // this command is the last one the disk sees
  }
  if (piece) ++disk.writePieces;
  if (piece && faults.vanishAtWritePiece != 0 && disk.writePieces == faults.vanishAtWritePiece) {
    disk.present = false;
    return true;
  }
  return false;
}

BackendResult VirtualMachine::ExecuteOnDisk(const ScsiRequest& request, TraceEntry& entry) {
  BackendResult result;
  Disk* disk = Reached(request, entry, result);
  if (disk == nullptr) return result;
  entry.unit = disk->arrival;
  if (CountCommand(*disk, entry.kind == CommandKind::kWriteBufferData)) {
    // Unplugged while this piece was on its way: it never completes.
    CompleteRecord(request.record, 0, 0);
    entry.lastError = result.lastError = kErrorDeviceNotConnected;
    return result;
  }
  VirtualEnclosure& chip = *disk->chip;
  const bool injected =
      FailureInjected(chip.faults(), entry.kind, disk->commands, disk->writePieces);
  if (injected && FailedWhole(chip, request, entry, result)) return result;
  Answer(chip, request, injected, entry, result);
  return result;
}

std::vector<TraceEntry> VirtualMachine::TraceFor(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<TraceEntry> out;
  const std::string key = AsciiLower(path);
  std::copy_if(trace_.begin(), trace_.end(), std::back_inserter(out),
               [&key](const TraceEntry& e) { return AsciiLower(e.path) == key; });
  return out;
}

size_t VirtualMachine::CountOf(CommandKind kind) const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<size_t>(std::count_if(trace_.begin(), trace_.end(),
                                           [kind](const TraceEntry& e) { return e.kind == kind; }));
}
