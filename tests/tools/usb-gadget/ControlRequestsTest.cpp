// Class requests on ep0: GET MAX LUN and the Bulk-Only Mass Storage Reset,
// everything else stalled.

#include <gtest/gtest.h>

#include <array>

#include "usb-gadget/ControlRequests.h"

namespace {

SetupPacket Packet(std::array<uint8_t, setup::kSize> bytes) {
  return ParseSetup(bytes.data());
}

TEST(ControlRequestsTest, ParsesTheLittleEndianWords) {
  const SetupPacket packet = Packet({0xA1, 0xFE, 0x34, 0x12, 0x02, 0x00, 0x01, 0x00});
  EXPECT_EQ(0xA1, packet.requestType);
  EXPECT_EQ(0xFE, packet.request);
  EXPECT_EQ(0x1234, packet.value);
  EXPECT_EQ(2, packet.index);
  EXPECT_EQ(1, packet.length);
}

TEST(ControlRequestsTest, AnswersGetMaxLunAndReset) {
  EXPECT_EQ(ControlAnswer::kMaxLun, AnswerControl(Packet({0xA1, 0xFE, 0, 0, 0, 0, 1, 0}), 0));
  EXPECT_EQ(ControlAnswer::kReset, AnswerControl(Packet({0x21, 0xFF, 0, 0, 0, 0, 0, 0}), 0));
}

TEST(ControlRequestsTest, StallsMalformedAndOtherRequests) {
  // GET MAX LUN without room for its byte, or with a value.
  EXPECT_EQ(ControlAnswer::kStall, AnswerControl(Packet({0xA1, 0xFE, 0, 0, 0, 0, 0, 0}), 0));
  EXPECT_EQ(ControlAnswer::kStall, AnswerControl(Packet({0xA1, 0xFE, 1, 0, 0, 0, 1, 0}), 0));
  // Another interface.
  EXPECT_EQ(ControlAnswer::kStall, AnswerControl(Packet({0xA1, 0xFE, 0, 0, 1, 0, 1, 0}), 0));
  // Reset with a data stage, or in the wrong direction.
  EXPECT_EQ(ControlAnswer::kStall, AnswerControl(Packet({0x21, 0xFF, 0, 0, 0, 0, 1, 0}), 0));
  EXPECT_EQ(ControlAnswer::kStall, AnswerControl(Packet({0xA1, 0xFF, 0, 0, 0, 0, 0, 0}), 0));
  // A vendor request.
  EXPECT_EQ(ControlAnswer::kStall, AnswerControl(Packet({0xC1, 0x01, 0, 0, 0, 0, 4, 0}), 0));
  // The addressed interface is the one asked about.
  EXPECT_EQ(ControlAnswer::kMaxLun, AnswerControl(Packet({0xA1, 0xFE, 0, 0, 1, 0, 1, 0}), 1));
}

}  // namespace
