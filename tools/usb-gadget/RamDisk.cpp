#include "usb-gadget/RamDisk.h"

#include <cstring>

void RamDisk::Read(uint64_t lba, uint32_t count, uint8_t* data) const {
  if (!Holds(lba, count) || count == 0) return;
  std::memcpy(data, bytes_.data() + lba * kRamDiskBlockSize, size_t{count} * kRamDiskBlockSize);
}

void RamDisk::Write(uint64_t lba, uint32_t count, const uint8_t* data) {
  if (!Holds(lba, count) || count == 0) return;
  std::memcpy(bytes_.data() + lba * kRamDiskBlockSize, data, size_t{count} * kRamDiskBlockSize);
}
