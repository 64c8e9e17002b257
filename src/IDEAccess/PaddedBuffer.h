#pragma once
// Zero-filled heap blocks whose usable part starts on an alignment boundary
// (8192 bytes throughout the tool). The block's own address is what is freed.

#include <cstdint>

constexpr uint32_t kBufferAlignment = 8192;

// A zero-filled block of size + alignment bytes, or null when it cannot be had
// (the sum does not fit in 32 bits, or the allocation fails).
void* AllocPadded(uint32_t size, uint32_t alignment);

// The usable pointer inside `block`: its address rounded up to a multiple of
// `alignment` (a power of two); the address itself when already aligned.
void* AlignUp(void* block, uint32_t alignment);

// Frees a block from AllocPadded; a null block is ignored.
void FreePadded(void* block);

// Owns one padded block for a scope, so that every path releases it. A size
// of 0 holds no block at all (ok(), with a null data pointer).
class PaddedBlock {
 public:
  explicit PaddedBlock(uint32_t size, uint32_t alignment = kBufferAlignment)
      : block_(size != 0 ? AllocPadded(size, alignment) : nullptr),
        data_(block_ ? static_cast<uint8_t*>(AlignUp(block_, alignment)) : nullptr),
        size_(block_ ? size : 0),
        size_requested_(size) {}
  ~PaddedBlock() { FreePadded(block_); }
  PaddedBlock(const PaddedBlock&) = delete;
  PaddedBlock& operator=(const PaddedBlock&) = delete;

  bool ok() const { return block_ != nullptr || size_requested_ == 0; }
  uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }

 private:
  void* block_;
  uint8_t* data_;
  uint32_t size_;
  uint32_t size_requested_;
};
