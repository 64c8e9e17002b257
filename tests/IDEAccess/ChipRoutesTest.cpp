// Every family code reached by each route that can produce it, on a bridge
// that names its family by that route alone.

#include <gtest/gtest.h>

#include <string>

#include "IDEAccess/ChipIdentification.h"
#include "support/MachineFixture.h"

namespace {

struct Route {
  IdRoute route;
  const char* name;
};

// The families a table lookup can give (repeating rows never can).
constexpr uint8_t kLookupFamilies[] = {1,  2,  3,  5,  6,  7,  8,  9,  11, 12, 13, 14,
                                       15, 16, 17, 18, 19, 20, 28, 29, 30, 31, 34};

class ChipRoutesTest : public MachineTest {
 protected:
  ChipCode Identify(uint8_t family, IdRoute route) {
    const std::string path = paths::kUsbEnclosure + std::to_string(++disks_);
    machine.AddDisk(path, VirtualEnclosure::Bridge(family, route));
    return IdentifyChip(path.c_str());
  }

 private:
  int disks_ = 0;
};

// The revision a lookup route leaves: stage 1's, unless stage 2 sets one.
// Family 1 without an id string is revision 1; family 8's check reads '1';
// family 12 without vendor block and with a low register keeps its revision.
TEST_F(ChipRoutesTest, TableLookupThroughInquiryAndBothChipInformationReplies) {
  for (const Route r : {Route{IdRoute::kInquiry, "inquiry"}, Route{IdRoute::kChipInfo, "info"},
                        Route{IdRoute::kChipInfoAlt, "alt"}}) {
    for (const uint8_t family : kLookupFamilies) {
      SCOPED_TRACE(std::string(r.name) + " family " + std::to_string(family));
      const uint8_t stageOne = r.route == IdRoute::kInquiry ? 0 : 1;  // info byte 11 is '1'
      const uint8_t revision = (family == 1 || family == 8) ? 1 : stageOne;
      EXPECT_EQ(Identify(family, r.route), family | (revision << 8));
    }
  }
}

TEST_F(ChipRoutesTest, RegisterWordReadBufferAndUsbIds) {
  for (uint8_t family = 33; family <= 36; ++family) {
    EXPECT_EQ(Identify(family, IdRoute::kRegisterWord), family) << int{family};
  }
  for (const uint8_t family : {14, 15, 19}) {
    EXPECT_EQ(Identify(family, IdRoute::kReadBuffer), family) << int{family};
  }
  EXPECT_EQ(Identify(37, IdRoute::kChipInfo), 37);
}

// The id string's byte 5 is 2 ('2', or 0x02 for family 32): revision 3 by
// every rule but family 4's, which keeps stage 1's 0.
TEST_F(ChipRoutesTest, IdStrings) {
  for (const uint8_t family : {1, 5, 32, 30, 7, 11}) {
    EXPECT_EQ(Identify(family, IdRoute::kIdString), 0x0300 | family) << int{family};
  }
  EXPECT_EQ(Identify(4, IdRoute::kIdString), 4);
}

TEST_F(ChipRoutesTest, Family12Checks) {
  EXPECT_EQ(Identify(28, IdRoute::kVendorBlock), 28);
  EXPECT_EQ(Identify(12, IdRoute::kRevisionRegister), 0x050C);
}

}  // namespace
