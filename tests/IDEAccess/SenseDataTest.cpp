// Sense data as a device gives it, in words: fixed and descriptor formats,
// codes with and without a standard name, replies that are no sense data.

#include <gtest/gtest.h>

#include <vector>

#include "IDEAccess/SenseData.h"

namespace {

TEST(SenseData, DecodedToTheStandardNames) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* text;
  };
  const auto fixed = [](uint8_t response, uint8_t key, uint8_t asc, uint8_t ascq) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[0] = response;
    bytes[2] = key;
    bytes[7] = 10;
    bytes[12] = asc;
    bytes[13] = ascq;
    return bytes;
  };
  const Case cases[] = {
      {fixed(0x70, 0x05, 0x24, 0x00), "ILLEGAL REQUEST, INVALID FIELD IN CDB"},
      {fixed(0xF0, 0x24, 0x44, 0x00), "HARDWARE ERROR, INTERNAL TARGET FAILURE"},  // valid bit, ILI
      {fixed(0x71, 0x06, 0x29, 0x00),
       "UNIT ATTENTION, POWER ON, RESET, OR BUS DEVICE RESET OCCURRED"},
      {fixed(0x70, 0x02, 0x5D, 0x01), "NOT READY, ASC 0x5d, ASCQ 0x01"},
      {{0x72, 0x05, 0x20, 0x00, 0, 0, 0, 0}, "ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE"},
      {fixed(0x00, 0x05, 0x24, 0x00), ""},  // not sense data
      {{0x70, 0x00, 0x05}, ""},             // cut short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, SenseText(DecodeSense(c.bytes.data(), c.bytes.size()))) << c.text;
  }
}

}  // namespace
