#pragma once
// Another unit put in the place of the enclosure under test after its k-th
// command, as the system gives the name of a disk unplugged to the next one
// that arrives; and what must hold of the commands whatever k is.

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <vector>

#include "sim/VirtualMachine.h"

// The units that may take the name: another TQ-214 with newer firmware and
// its own serial number, a bridge of another family, a plain disk.
struct Newcomer {
  const char* name;
  std::function<VirtualEnclosure()> make;
};

inline const std::vector<Newcomer>& Newcomers() {
  static const std::vector<Newcomer> kAll = {
      {"another TQ-214 with newer firmware",
       [] {
         VirtualEnclosure chip = VirtualEnclosure::Tbr640();
         chip.SetFirmwareVersion(21, 32, 0, 9);
         return chip;
       }},
      {"a bridge of another family", [] { return VirtualEnclosure::Bridge(3, IdRoute::kInquiry); }},
      {"a plain disk", [] { return VirtualEnclosure::PlainDisk(); }},
  };
  return kAll;
}

constexpr char kNewcomerSerial[] = "0000000000001214";

// Every command of a run, as it completed, from whichever thread.
struct CommandLog {
  std::mutex lock;
  std::vector<TraceEntry> entries;
  void Watch(VirtualMachine& machine) {
    machine.SetAfterCommand([this](const TraceEntry& entry) {
      std::lock_guard<std::mutex> guard(lock);
      entries.push_back(entry);
    });
  }
  // The commands that reached the unit of arrival `unit`.
  size_t Reaching(uint64_t unit) {
    std::lock_guard<std::mutex> guard(lock);
    size_t count = 0;
    for (const TraceEntry& entry : entries) count += entry.unit == unit ? 1 : 0;
    return count;
  }
};

inline bool IsWrite(CommandKind kind) {
  return kind == CommandKind::kWriteBufferData || kind == CommandKind::kWriteBufferRom ||
         kind == CommandKind::kWriteBufferOther || kind == CommandKind::kWriteBridgeMemory;
}

// Each write reaches the unit whose flash index was read last before it: the
// unit whose reading the run showed and judged; never one that took its name
// after.
inline testing::AssertionResult WritesReachTheUnitRead(const std::vector<TraceEntry>& entries) {
  uint64_t read = 0;
  for (const TraceEntry& entry : entries) {
    if (entry.kind == CommandKind::kReadFlashIndex && entry.unit != 0) read = entry.unit;
    if (IsWrite(entry.kind) && entry.unit != 0 && entry.unit != read) {
      return testing::AssertionFailure()
             << "command " << entry.sequence << " (" << CommandKindName(entry.kind)
             << ") reached unit " << entry.unit << "; the unit read was " << read;
    }
  }
  return testing::AssertionSuccess();
}
