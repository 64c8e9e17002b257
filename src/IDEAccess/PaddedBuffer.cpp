#include "IDEAccess/PaddedBuffer.h"

#include <cstdlib>

void* AllocPadded(uint32_t size, uint32_t alignment) {
  // The block's size is a 32-bit count on every platform: a sum that does not
  // fit is refused rather than wrapped into a block too small for `size`.
  const uint64_t total = static_cast<uint64_t>(size) + alignment;
  if (total > UINT32_MAX || total > SIZE_MAX) return nullptr;
  return std::calloc(static_cast<size_t>(total), 1);
}

void* AlignUp(void* block, uint32_t alignment) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(block);
  const uintptr_t mask = static_cast<uintptr_t>(alignment) - 1;
  return reinterpret_cast<void*>((address + mask) & ~mask);  // NOLINT(performance-no-int-to-ptr)
}

void FreePadded(void* block) {
  std::free(block);
}
