// Decoding the configuration block into the window's texts, and the
// up-to-date test on a block.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/ConfigBlock.h"

namespace {

void Put(ConfigBlock& block, size_t offset, const std::string& text) {
  std::memcpy(&block.bytes[offset], text.data(), text.size());
}

// Decodes into a field full of junk, so that a missing terminator shows.
std::string Decoded(void (*decode)(const ConfigBlock&, TextField&), const ConfigBlock& block) {
  TextField text;
  std::memset(text, 'X', sizeof text);
  decode(block, text);
  EXPECT_NE(nullptr, std::memchr(text, '\0', sizeof text)) << "the text ends inside its field";
  return text;
}

TEST(ConfigBlockDecodeTest, CharacterCountIsHalfTheLengthByteLessOneWithinTheField) {
  ConfigBlock block;
  Put(block, 50, std::string(200, 'p'));
  const struct {
    uint8_t lengthByte;
    size_t characters;
  } cases[] = {{48, 23}, {35, 16},  {34, 16},  {3, 0},    {2, 0},   {1, 0},
               {0, 0},   {118, 58}, {120, 59}, {200, 59}, {255, 59}};
  for (const auto& c : cases) {
    block.bytes[48] = c.lengthByte;
    EXPECT_EQ(std::string(c.characters, 'p'), Decoded(DecodeProductText, block))
        << "length byte " << int{c.lengthByte};
  }
  block.bytes[12] = 16;
  Put(block, 14, "Orvexa!and more");
  EXPECT_EQ("Orvexa!", Decoded(DecodeManufacturerText, block));
  block.bytes[48] = 34;
  Put(block, 50, std::string("Exter\0nal USB-3.0", 17));
  EXPECT_EQ("Exter", Decoded(DecodeProductText, block)) << "a zero cuts the text";
}

TEST(ConfigBlockDecodeTest, DiskTextDropsTrailingBlanksAndControlCharacters) {
  ConfigBlock block;
  Put(block, 200, "ABC" + std::string(21, ' '));
  TextField text;
  DecodeDiskText(block, text);
  EXPECT_STREQ("ABC", text);
  EXPECT_EQ(' ', text[4]) << "behind the terminator the copy stays";

  Put(block, 200, "TQ-214  Disk\x1f\t\r " + std::string(8, '\0'));
  EXPECT_EQ("TQ-214  Disk", Decoded(DecodeDiskText, block)) << "inner blanks stay";
  Put(block, 200, "123456789012345678901234");
  EXPECT_EQ("123456789012345678901234", Decoded(DecodeDiskText, block));
}

TEST(ConfigBlockDecodeTest, VidPidLinePrintsEachIdHighByteFirst) {
  ConfigBlock block;
  block.bytes[0] = 0x34;
  block.bytes[1] = 0x12;
  block.bytes[2] = 0xCD;
  block.bytes[3] = 0xab;
  EXPECT_EQ(0x1234, VendorIdOf(block));
  EXPECT_EQ(0xABCD, ProductIdOf(block));
  VidPidField line;
  FormatVidPidText(block, line);
  EXPECT_STREQ("VID[  1234  ],  PID[  ABCD  ]", line);
}

class UpToDateTest : public ::testing::Test {
 protected:
  UpToDateTest() {
    block.bytes[48] = 34;
    Put(block, 50, "External USB-3.0");
    Put(block, 200, "ABCDEFGHExternal USB-3.0");
  }
  ConfigBlock block;
};

TEST_F(UpToDateTest, ProductTextMustBeTheWholeTarget) {
  EXPECT_TRUE(ConfigBlockIsUpToDate(block));
  block.bytes[48] = 36;  // a 17th character, zero
  EXPECT_TRUE(ConfigBlockIsUpToDate(block));
  block.bytes[50 + 16] = 'X';
  EXPECT_FALSE(ConfigBlockIsUpToDate(block));
  block.bytes[48] = 32;  // 15 characters
  EXPECT_FALSE(ConfigBlockIsUpToDate(block));
}

TEST_F(UpToDateTest, DiskTextSecondPartComparesSixteenBytes) {
  Put(block, 200, std::string(8, '\0'));
  EXPECT_TRUE(ConfigBlockIsUpToDate(block)) << "whatever the first part holds";
  Put(block, 200, "ABCDEFGH External USB-3.0");  // shifted by one
  EXPECT_FALSE(ConfigBlockIsUpToDate(block));
}

}  // namespace
