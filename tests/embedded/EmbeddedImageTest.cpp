// The image compiled into the program: found under its one name, byte for byte
// the file the build took (by the checksum taken at configure time), and, when
// it is the repository's stand-in, laid out as the virtual chip expects.

#include <gtest/gtest.h>

#include <cstring>

#include "IDEAccess/FirmwareImage.h"
#include "embedded/EmbeddedResources.h"
#include "embedded/FirmwareImageDigest.h"
#include "engine/ConfigBlock.h"
#include "sim/VirtualEnclosure.h"
#include "support/Adler32.h"

namespace {

TEST(EmbeddedResourcesTest, FindsTheImageFileAndNothingElse) {
  const uint8_t wikipedia[] = {'W', 'i', 'k', 'i', 'p', 'e', 'd', 'i', 'a'};
  ASSERT_EQ(0x11E60398u, Adler32(wikipedia, sizeof wikipedia)) << "the checksum itself";

  EmbeddedResources resources;
  const ResourceLookup image = resources.Find("TBR640_ORVEXA", "FW");
  ASSERT_TRUE(image.found);
  ASSERT_NE(nullptr, image.bytes);
  EXPECT_EQ(0xC600u, image.size);
  EXPECT_EQ(kFirmwareImageAdler32, Adler32(image.bytes, image.size));

  EXPECT_EQ(1814u, resources.Find("TBR630_ROM0_MFG", "FW").lastError);
  EXPECT_FALSE(resources.Find("TBR650_ROM0_MFG", "FW").found);
  EXPECT_EQ(1813u, resources.Find("TBR640_ORVEXA", "RCDATA").lastError);
}

TEST(EmbeddedResourcesTest, StandInSaysWhatItIsAndCarriesTheTargetVersionAndBlock) {
  if (!kFirmwareImageIsStandIn) GTEST_SKIP() << "this build carries the customer image";
  const uint8_t* image = EmbeddedResources().Find("TBR640_ORVEXA", "FW").bytes;
  ASSERT_NE(nullptr, image);
  EXPECT_EQ(0, std::memcmp(image, "TQ-214 STAND-IN ", 16));
  EXPECT_EQ(0, std::memcmp(image + 0x14, "IMAGE - NOT CUSTOMER FIRMWARE", 29));
  EXPECT_EQ(0, std::memcmp(image + kImageVersionOffset, TargetFirmwareVersion.data(), 4));

  ConfigBlock block;
  std::memcpy(block.bytes.data(), image + 0xC400, kConfigBlockSize);
  TextField text;
  DecodeManufacturerText(block, text);
  EXPECT_STREQ("StandIn", text);
  DecodeProductText(block, text);
  EXPECT_STREQ("External USB-3.0", text);
  const uint8_t lengthAndType[] = {16, 0x03, 34, 0x03, 34, 0x03};
  const uint8_t found[] = {block.bytes[12], block.bytes[13], block.bytes[48],
                           block.bytes[49], block.bytes[84], block.bytes[85]};
  EXPECT_EQ(0, std::memcmp(lengthAndType, found, sizeof found));
}

}  // namespace
