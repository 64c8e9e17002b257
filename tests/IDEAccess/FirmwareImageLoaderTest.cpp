// The image loaders' copy rule and return values over made-up resources: what
// lands in the caller's buffer, what is left alone, and which values a caller
// could mistake for a good image.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "seams/Seams.h"
#include "support/FakeResources.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kUntouched = 0xEE;

Bytes Numbered(uint32_t size) {
  Bytes bytes(size);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return bytes;
}

class LoaderTest : public ::testing::Test {
 protected:
  LoaderTest() : installed_(WithResources()) { resources.Add(kFirmwareResourceName, image); }
  Seams WithResources() {
    Seams seams;
    seams.resources = &resources;
    return seams;
  }
  int32_t Load(uint32_t offset, uint32_t length, uint32_t capacity = 0xC700) {
    std::fill(dest.begin(), dest.end(), kUntouched);
    return LoadFirmwareImage(dest.data(), capacity, offset, length);
  }
  // dest holds `count` image bytes from `from` on, and nothing was written after.
  bool Holds(uint32_t from, uint32_t count) const {
    return std::equal(dest.begin(), dest.begin() + count, image.begin() + from) &&
           std::all_of(dest.begin() + count, dest.end(), [](uint8_t b) { return b == kUntouched; });
  }

  FakeResources resources;
  Bytes image = Numbered(kFirmwareImageSize);
  Bytes dest = Bytes(0xC700, kUntouched);

 private:
  ScopedSeams installed_;
};

TEST_F(LoaderTest, CopyRuleTakesTheLengthOrTheWholeTailAndReturnsTheWholeSize) {
  const struct {
    uint32_t offset, length, copied;
  } cases[] = {
      {0, 0, 0xC600},
      {0, 0x100, 0x100},
      {0x100, 0xC600, 0xC500},
      {0x100, 0, 0xC500},
      {0xC5FF, 1, 1},
      {0xC600, 0, 0},              // the end itself: nothing
      {0xC601, 0, 0},              // past the end: nothing, not a wild read
      {0x10, 0xFFFFFFF8, 0xC5F0},  // offset + length wraps 32 bits: up to the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0xC600, Load(c.offset, c.length)) << c.offset << "+" << c.length;
    EXPECT_TRUE(Holds(c.offset, c.copied)) << c.offset << "+" << c.length;
  }
}

TEST_F(LoaderTest, NeverCopiesMoreThanTheCallersBufferHolds) {
  image = Numbered(0x10000);
  resources.Add(kFirmwareResourceName, image);
  EXPECT_EQ(0x10000, Load(0, 0, 0x300)) << "the true size, which the caller rejects";
  EXPECT_TRUE(Holds(0, 0x300));
}

TEST_F(LoaderTest, MissingOrUnmappableImageIsRefusedAndDestLeftAlone) {
  resources = FakeResources();
  EXPECT_EQ(1814, Load(0, 0));
  EXPECT_TRUE(Holds(0, 0));
  resources.AddUnmapped(kFirmwareResourceName, kFirmwareImageSize);
  EXPECT_EQ(kErrorResourceDataNotFound, Load(0, 0));
  EXPECT_TRUE(Holds(0, 0));
}

TEST_F(LoaderTest, RomLoaderPicksItsNameByRomSelectAndReturnsZeroWhenMissing) {
  EXPECT_EQ(0u, LoadMfgRomImage(dest.data(), 0xC700, 0, 0, true));
  EXPECT_EQ(0u, LoadMfgRomImage(dest.data(), 0xC700, 0, 0, false));
  EXPECT_TRUE(Holds(0, 0));
  EXPECT_EQ((std::vector<std::string>{kMfgRomSetName, kMfgRomClearName}), resources.lookups);

  resources.AddUnmapped(kMfgRomClearName, kMfgRomImageSize);
  EXPECT_EQ(0u, LoadMfgRomImage(dest.data(), 0xC700, 0, 0, false)) << "not mappable";
  image = Numbered(kMfgRomImageSize);
  resources.Add(kMfgRomSetName, image);
  EXPECT_EQ(kMfgRomImageSize, LoadMfgRomImage(dest.data(), 0xC700, 0, 0, true));
  EXPECT_TRUE(Holds(0, kMfgRomImageSize));
}

}  // namespace
