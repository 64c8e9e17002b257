// PatchConfigBlock on the virtual chip: what it changes in the block and what
// it leaves, and that every failed transfer is a failed patch.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/ConfigBlock.h"
#include "support/TestSeams.h"

namespace {

using Bytes = std::vector<uint8_t>;

class ConfigBlockPatchTest : public SimTest {
 protected:
  // Every byte set, so that a stray write shows; a 23-character product text
  // under length byte 48.
  ConfigBlockPatchTest() {
    for (size_t i = 0; i < 512; ++i) Stored()[i] = static_cast<uint8_t>(0x80 + i);
    Stored()[48] = 48;
    std::memcpy(Stored() + 50, "A product of 23 letters", 23);
  }
  uint8_t* Stored() { return chip.memory() + 0xD000; }
  Bytes StoredBytes() { return Bytes(Stored(), Stored() + 512); }
};

TEST_F(ConfigBlockPatchTest, PatchesProductTextAndDiskTextAndNothingElse) {
  const Bytes before = StoredBytes();
  ASSERT_TRUE(PatchConfigBlock(kUsbPath));
  Bytes expected = before;
  expected[48] = 34;
  std::fill(expected.begin() + 50, expected.begin() + 81, 0);
  std::memcpy(&expected[50], "External USB-3.0", 16);
  std::memcpy(&expected[208], "External USB-3.0", 16);
  EXPECT_EQ(expected, StoredBytes());

  const std::vector<Bytes> cdbs = {
      {0xDF, 0x10, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x00, 0xFA},
      {0xDF, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x00, 0xFB},
      {0xDF, 0x10, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x00, 0xFA}};
  ASSERT_EQ(3u, machine.trace().size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(cdbs[i], machine.trace()[i].cdb);

  ConfigBlock patched;
  std::memcpy(patched.bytes.data(), Stored(), 512);
  EXPECT_TRUE(ConfigBlockIsUpToDate(patched));
}

TEST_F(ConfigBlockPatchTest, PatchingTwiceWritesTheSameBytesBothTimes) {
  // The chip stores what it is sent: the block after a run is what it wrote.
  ASSERT_TRUE(PatchConfigBlock(kUsbPath));
  const Bytes first = StoredBytes();
  ASSERT_TRUE(PatchConfigBlock(kUsbPath));
  EXPECT_EQ(first, StoredBytes());
}

TEST_F(ConfigBlockPatchTest, ChipIgnoringTheWriteFailsUnlessTheBlockWasPatchedAlready) {
  chip.faults().ignoreMemoryWrites = true;
  EXPECT_FALSE(PatchConfigBlock(kUsbPath));
  chip.faults().ignoreMemoryWrites = false;
  ASSERT_TRUE(PatchConfigBlock(kUsbPath));
  chip.faults().ignoreMemoryWrites = true;
  EXPECT_TRUE(PatchConfigBlock(kUsbPath));
}

TEST_F(ConfigBlockPatchTest, FailedFirstReadWritesNothing) {
  const Bytes before = StoredBytes();
  chip.faults().FailEvery(CommandKind::kReadBridgeMemory);
  chip.faults().style = FailureStyle::kShortData;  // half the block arrives
  EXPECT_FALSE(PatchConfigBlock(kUsbPath));
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kWriteBridgeMemory));
  EXPECT_EQ(before, StoredBytes());
}

TEST_F(ConfigBlockPatchTest, FailedWriteOrReadBackIsAFailedPatch) {
  chip.faults().FailEvery(CommandKind::kWriteBridgeMemory);
  EXPECT_FALSE(PatchConfigBlock(kUsbPath));
  EXPECT_EQ(1u, machine.CountOf(CommandKind::kReadBridgeMemory)) << "no read-back after it";

  // The write arrives but the read-back fails: not verified, so not a pass.
  chip.faults().failKind = {};
  chip.faults().failCommandNumber = 5;  // this run's read-back
  EXPECT_FALSE(PatchConfigBlock(kUsbPath));
  EXPECT_EQ(5u, machine.trace().size());
}

}  // namespace
