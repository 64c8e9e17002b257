#pragma once
// The medium behind the enclosure: a few MiB of memory, zeros at start, in
// 512-byte blocks.

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kRamDiskBlockSize = 512;

class RamDisk {
 public:
  explicit RamDisk(uint32_t blocks) : bytes_(static_cast<size_t>(blocks) * kRamDiskBlockSize) {}

  uint32_t blocks() const { return static_cast<uint32_t>(bytes_.size() / kRamDiskBlockSize); }
  // Whether blocks [lba, lba + count) all lie on the disk.
  bool Holds(uint64_t lba, uint64_t count) const {
    return lba <= blocks() && count <= blocks() - lba;
  }
  // Both need Holds(lba, count) and count blocks of room in `data`.
  void Read(uint64_t lba, uint32_t count, uint8_t* data) const;
  void Write(uint64_t lba, uint32_t count, const uint8_t* data);

 private:
  std::vector<uint8_t> bytes_;
};
