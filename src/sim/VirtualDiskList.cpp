// The machine's disk interface list: its present disks in the order added.

#include "sim/VirtualMachine.h"

bool VirtualMachine::Open() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!listAvailable_) return false;
  listOpen_ = true;
  ++listOpens_;
  return true;
}

InterfaceStep VirtualMachine::Get(uint32_t index, std::string* path) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!listOpen_) return InterfaceStep::kEndOfList;
  uint32_t position = 0;
  for (const Disk& disk : disks_) {
    if (!disk.present) continue;
    if (position == index) {
      if (index == failedDetail_) return InterfaceStep::kDetailFailed;
      *path = disk.path;
      return InterfaceStep::kPath;
    }
    ++position;
  }
  return InterfaceStep::kEndOfList;
}

void VirtualMachine::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  ++listCloses_;
  listOpen_ = false;
}
