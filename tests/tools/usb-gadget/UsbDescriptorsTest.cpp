// The blobs written to FunctionFS's ep0: one mass-storage interface with a
// bulk-in and a bulk-out endpoint per speed, and its name.

#include <gtest/gtest.h>

#include <cstring>

#include "usb-gadget/BotWire.h"
#include "usb-gadget/UsbDescriptors.h"

namespace {

using namespace usb_desc;

uint16_t Le16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

TEST(UsbDescriptorsTest, HeadCountsEverySpeed) {
  const std::vector<uint8_t> bytes = FunctionDescriptors();
  ASSERT_EQ(kDescriptorBlobSize, bytes.size());
  EXPECT_EQ(3u, GetLe32(&bytes[blob::kMagic]));  // the v2 format
  EXPECT_EQ(bytes.size(), GetLe32(&bytes[blob::kLength]));
  EXPECT_EQ(3u, GetLe32(&bytes[blob::kFlags]));  // full and high speed
  EXPECT_EQ(3u, GetLe32(&bytes[blob::kFullSpeedCount]));
  EXPECT_EQ(3u, GetLe32(&bytes[blob::kHighSpeedCount]));
}

TEST(UsbDescriptorsTest, EachSpeedIsBulkOnlyMassStorage) {
  const std::vector<uint8_t> bytes = FunctionDescriptors();
  const uint16_t packets[] = {64, 512};
  for (int speed = 0; speed < 2; ++speed) {
    const uint8_t* at = &bytes[blob::kFirstDescriptor + speed * kPerSpeedSize];
    EXPECT_EQ(9, at[intf::kLength]);
    EXPECT_EQ(4, at[intf::kType]);
    EXPECT_EQ(2, at[intf::kEndpoints]);
    EXPECT_EQ(0x08, at[intf::kClass]);
    EXPECT_EQ(0x06, at[intf::kSubclass]);
    EXPECT_EQ(0x50, at[intf::kProtocol]);
    EXPECT_EQ(1, at[intf::kName]);
    const uint8_t* in = at + intf::kSize;
    const uint8_t* out = in + ep::kSize;
    EXPECT_EQ(7, in[ep::kLength]);
    EXPECT_EQ(5, in[ep::kType]);
    EXPECT_EQ(0x81, in[ep::kAddress]);
    EXPECT_EQ(0x02, out[ep::kAddress]);
    EXPECT_EQ(2, in[ep::kAttributes]);  // bulk
    EXPECT_EQ(2, out[ep::kAttributes]);
    EXPECT_EQ(packets[speed], Le16(&in[ep::kMaxPacket]));
    EXPECT_EQ(packets[speed], Le16(&out[ep::kMaxPacket]));
  }
}

TEST(UsbDescriptorsTest, StringsCarryTheInterfaceName) {
  const std::vector<uint8_t> bytes = FunctionStrings();
  EXPECT_EQ(2u, GetLe32(&bytes[strings::kMagic]));
  EXPECT_EQ(bytes.size(), GetLe32(&bytes[strings::kLength]));
  EXPECT_EQ(1u, GetLe32(&bytes[strings::kStringCount]));
  EXPECT_EQ(1u, GetLe32(&bytes[strings::kLanguageCount]));
  EXPECT_EQ(0x0409, Le16(&bytes[strings::kLanguage]));
  const char* name = reinterpret_cast<const char*>(&bytes[strings::kFirstString]);
  EXPECT_STREQ("TQ-214 Mass Storage", name);
  EXPECT_EQ(bytes.size(), strings::kFirstString + std::strlen(name) + 1);
}

}  // namespace
