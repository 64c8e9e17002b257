#include <gtest/gtest.h>

#include <cstdint>

#include "IDEAccess/PaddedBuffer.h"

namespace {

TEST(PaddedBuffer, AlignUpRoundsToTheNextMultipleAndKeepsAlignedAddresses) {
  alignas(16) static uint8_t arena[64];
  const uintptr_t base = reinterpret_cast<uintptr_t>(arena);
  EXPECT_EQ(base, reinterpret_cast<uintptr_t>(AlignUp(arena, 16)));
  EXPECT_EQ(base + 16, reinterpret_cast<uintptr_t>(AlignUp(arena + 1, 16)));
  EXPECT_EQ(base + 16, reinterpret_cast<uintptr_t>(AlignUp(arena + 15, 16)));
  EXPECT_EQ(base + 16, reinterpret_cast<uintptr_t>(AlignUp(arena + 16, 16)));
}

TEST(PaddedBuffer, BlockIsZeroFilledWithRoomForSizeAfterAlignment) {
  void* block = AllocPadded(3000, 8192);
  ASSERT_NE(nullptr, block);
  auto* usable = static_cast<uint8_t*>(AlignUp(block, 8192));
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(usable) % 8192);
  // The usable part lies inside the block of size + alignment bytes.
  EXPECT_LE(usable + 3000, static_cast<uint8_t*>(block) + 3000 + 8192);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(0, usable[i]) << i;
  FreePadded(block);
  FreePadded(nullptr);  // ignored
}

TEST(PaddedBuffer, ImpossibleSizeGivesNull) {
  EXPECT_EQ(nullptr, AllocPadded(0xFFFFFFFFu, 8192));
  PaddedBlock none(0xFFFFFFFFu);
  EXPECT_FALSE(none.ok());
  EXPECT_EQ(nullptr, none.data());
  PaddedBlock empty(0);
  EXPECT_TRUE(empty.ok());
  EXPECT_EQ(nullptr, empty.data());
}

}  // namespace
