// The wrappers of the Bulk-Only Transport: which packets are CBWs, and the
// CSW's bytes.

#include <gtest/gtest.h>

#include "tools/usb-gadget/BotTestKit.h"
#include "usb-gadget/BotWire.h"

namespace {

TEST(BotWireTest, ReadsEveryFieldOfAValidCbw) {
  const Bytes packet = MakeCbw(0x11223344, 36, true, {0x12, 0, 0, 0, 36, 0});
  CommandBlockWrapper cbw;
  ASSERT_EQ(CbwCheck::kValid, ParseCbw(packet.data(), packet.size(), 0, &cbw));
  EXPECT_EQ(0x11223344u, cbw.tag);
  EXPECT_EQ(36u, cbw.dataTransferLength);
  EXPECT_TRUE(cbw.dataIn);
  EXPECT_EQ(0, cbw.lun);
  EXPECT_EQ(6, cbw.commandLength);
  EXPECT_EQ(0x12, cbw.command[0]);
  EXPECT_EQ(36, cbw.command[4]);
  EXPECT_EQ(0, cbw.command[6]);
}

TEST(BotWireTest, WrongSizeOrSignatureIsInvalid) {
  Bytes packet = MakeCbw(1, 0, false, {0});
  CommandBlockWrapper cbw;
  EXPECT_EQ(CbwCheck::kInvalid, ParseCbw(packet.data(), 30, 0, &cbw));
  Bytes longer = packet;
  longer.push_back(0);
  EXPECT_EQ(CbwCheck::kInvalid, ParseCbw(longer.data(), longer.size(), 0, &cbw));
  packet[bot::cbw::kSignature + 3] ^= 0x01;
  EXPECT_EQ(CbwCheck::kInvalid, ParseCbw(packet.data(), packet.size(), 0, &cbw));
}

TEST(BotWireTest, ReservedBitsLunAndLengthMakeItNotMeaningful) {
  CommandBlockWrapper cbw;
  const auto check = [&](size_t field, uint8_t value) {
    Bytes packet = MakeCbw(0xCAFE, 0, false, {0, 0, 0, 0, 0, 0});
    packet[field] = value;
    return ParseCbw(packet.data(), packet.size(), 0, &cbw);
  };
  EXPECT_EQ(CbwCheck::kNotMeaningful, check(bot::cbw::kLun, 1));
  EXPECT_EQ(CbwCheck::kNotMeaningful, check(bot::cbw::kLun, 0x10));
  EXPECT_EQ(CbwCheck::kNotMeaningful, check(bot::cbw::kFlags, 0x40));
  EXPECT_EQ(CbwCheck::kNotMeaningful, check(bot::cbw::kCommandBlockLength, 0));
  EXPECT_EQ(CbwCheck::kNotMeaningful, check(bot::cbw::kCommandBlockLength, 17));
  EXPECT_EQ(CbwCheck::kNotMeaningful, check(bot::cbw::kCommandBlockLength, 0x26));
  // The tag is still read: the CSW that refuses the command carries it.
  EXPECT_EQ(0xCAFEu, cbw.tag);
  EXPECT_EQ(CbwCheck::kValid, check(bot::cbw::kCommandBlockLength, 16));
}

TEST(BotWireTest, LunUpToTheHighestIsMeaningful) {
  Bytes packet = MakeCbw(1, 0, false, {0, 0, 0, 0, 0, 0});
  packet[bot::cbw::kLun] = 2;
  CommandBlockWrapper cbw;
  EXPECT_EQ(CbwCheck::kValid, ParseCbw(packet.data(), packet.size(), 2, &cbw));
  EXPECT_EQ(CbwCheck::kNotMeaningful, ParseCbw(packet.data(), packet.size(), 1, &cbw));
}

TEST(BotWireTest, CswBytesAreLittleEndian) {
  const auto csw = BuildCsw(0xA1B2C3D4, 0x01020304, bot::CswStatus::kPhaseError);
  const Bytes expected = {0x55, 0x53, 0x42, 0x53, 0xD4, 0xC3, 0xB2,
                          0xA1, 0x04, 0x03, 0x02, 0x01, 0x02};
  EXPECT_EQ(expected, Bytes(csw.begin(), csw.end()));
}

}  // namespace
