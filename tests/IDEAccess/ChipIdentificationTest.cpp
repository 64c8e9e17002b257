// IdentifyChip's edge cases: which probes are sent, which reply bytes decide,
// and the revision rules with their 8-bit wrap.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "IDEAccess/ChipIdentification.h"
#include "IDEAccess/FamilyIds.h"
#include "support/MachineFixture.h"

namespace {

using K = CommandKind;
using Kinds = std::vector<CommandKind>;
constexpr const char* kPath = paths::kUsbEnclosure;

class ChipIdentificationTest : public MachineTest {
 protected:
  VirtualEnclosure& Add(VirtualEnclosure chip) { return machine.AddDisk(kPath, std::move(chip)); }
  ChipCode Identify() {
    machine.ClearTrace();
    return IdentifyChip(kPath);
  }
  Kinds Sent() const { return KindsFor(kPath); }
  bool WasSent(CommandKind kind) const { return machine.CountOf(kind) != 0; }
  static void SetIdString(VirtualEnclosure& chip, const std::vector<uint8_t>& bytes) {
    chip.SetAnswers(K::kReadIdString, true);
    chip.identity().idString.fill(0);
    std::copy(bytes.begin(), bytes.end(), chip.identity().idString.begin());
  }
};

TEST_F(ChipIdentificationTest, TheTbr640NamesItselfInItsInquiryData) {
  Add(VirtualEnclosure::Tbr640());
  EXPECT_EQ(Identify(), 0x0013);
  EXPECT_EQ(Sent(), Kinds{K::kInquiry});
}

TEST_F(ChipIdentificationTest, DisksThatAnswerNothingUseful) {
  Add(VirtualEnclosure::SilentDisk());
  EXPECT_EQ(Identify(), 0);
  EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kReadIdString}));

  machine.Remove(kPath);
  machine.AddDisk(paths::kUasEnclosure, VirtualEnclosure::PlainDisk());
  EXPECT_EQ(IdentifyChip(paths::kUasEnclosure), 0);
  EXPECT_EQ(KindsFor(paths::kUasEnclosure),
            (Kinds{K::kInquiry, K::kReadBridgeWord, K::kReadBufferDescriptor, K::kRequestSense,
                   K::kReadIdString}));
}

TEST_F(ChipIdentificationTest, InquiryNeedsTheMarkerAndTakesTheLowestRow) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(3, IdRoute::kInquiry));
  EXPECT_EQ(Identify(), 3);
  EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kReadIdString}));

  SetIdString(chip, {'K', 'R', 'B', '3', '-', 'X', '9'});
  EXPECT_EQ(Identify(), 4);

  chip.identity().inquiry[36] = 'Q';  // the id of row 3 without the marker
  EXPECT_EQ(FamilyCodeOf(Identify()), 4);
  EXPECT_TRUE(WasSent(K::kReadBridgeWord));
  EXPECT_TRUE(WasSent(K::kGetChipInfo));

  std::memcpy(&chip.identity().inquiry[36], kCode9Id, 4);
  EXPECT_EQ(Identify(), 9);
  EXPECT_EQ(Sent(), Kinds{K::kInquiry});
}

TEST_F(ChipIdentificationTest, RegisterWordDecidesWhenTheSignatureIsMissing) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(33, IdRoute::kRegisterWord));
  const uint8_t words[][2] = {{0x00, 0x00}, {0x20, 0xFF}, {0xC0, 0x5A}, {0xE0, 0x80}, {0x9F, 0x00}};
  const uint8_t expected[] = {33, 34, 35, 36, 33};
  for (size_t i = 0; i < sizeof expected; ++i) {
    chip.identity().bridgeWord = {words[i][0], words[i][1]};
    EXPECT_EQ(Identify(), expected[i]) << i;
    EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kReadBridgeWord, K::kGetChipInfo})) << i;
  }
}

TEST_F(ChipIdentificationTest, ChipInformationRevisionAndUsbIds) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(19, IdRoute::kChipInfo));
  auto& info = chip.identity().chipInfo;
  info[11] = '2';
  EXPECT_EQ(Identify(), 0x0213);
  EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kReadBridgeWord, K::kGetChipInfo}));
  info[11] = '0';
  EXPECT_EQ(Identify(), 0x0013);
  info[11] = 0x20;  // no digit: 8-bit wrap
  EXPECT_EQ(Identify(), 0xF013);

  std::memcpy(&info[8], kCode9Id + 1, 3);
  info[11] = '4';
  EXPECT_EQ(Identify(), 0x0409);

  const uint8_t usbIds[] = {0x3A, 0x71, 0x7C, 0x04};
  std::memcpy(&info[2], usbIds, sizeof usbIds);
  EXPECT_EQ(Identify(), 37);
  info[5] = 0x05;
  EXPECT_EQ(Identify(), 0x0409);
}

TEST_F(ChipIdentificationTest, AlternateReplyHasNoCode9FallbackAndNeedsItsSignature) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(19, IdRoute::kChipInfoAlt));
  auto& alt = chip.identity().chipInfoAlt;
  alt[11] = '3';
  EXPECT_EQ(Identify(), 0x0313);
  EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kReadBridgeWord, K::kGetChipInfo, K::kGetChipInfoAlt}));

  std::memcpy(&alt[8], kCode9Id + 1, 3);
  EXPECT_EQ(Identify(), 0x0300);  // family 0; the revision is set all the same
  EXPECT_EQ(Sent().back(), K::kReadIdString);

  std::memcpy(&alt[8], FamilyIdTable[19], 3);
  alt[0] = 0;
  EXPECT_EQ(Identify(), 0);
}

TEST_F(ChipIdentificationTest, Buffer1ExponentIsBounded) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(19, IdRoute::kReadBuffer));
  struct Case {
    uint8_t exponent;
    ChipCode expected;
  };
  for (const Case c : {Case{0, 0}, Case{2, 0}, Case{3, 19}, Case{4, 19}, Case{16, 19}, Case{23, 19},
                       Case{24, 0}, Case{31, 0}, Case{255, 0}}) {
    chip.identity().buffer1Exponent = c.exponent;
    EXPECT_EQ(Identify(), c.expected) << int{c.exponent};
    const std::vector<TraceEntry> trace = machine.TraceFor(kPath);
    const bool readsData = c.expected != 0;
    EXPECT_EQ(machine.CountOf(K::kReadBufferData), readsData ? 1u : 0u) << int{c.exponent};
    if (readsData) {
      EXPECT_EQ(trace.back().length, 1u << c.exponent) << int{c.exponent};
    }
  }
}

TEST_F(ChipIdentificationTest, Buffer1DataTests) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(19, IdRoute::kReadBuffer));
  std::vector<uint8_t>& data = chip.identity().buffer1;
  data[4] = '6';  // the digits as text are not BCD
  data[5] = '4';
  EXPECT_EQ(Identify(), 0);
  EXPECT_EQ(Sent().back(), K::kReadIdString);
  std::memcpy(&data[3], FamilyIdTable[15], 3);
  EXPECT_EQ(Identify(), 15);
  data[4] = static_cast<uint8_t>(FamilyIdTable[14][0] - '0');
  data[5] =
      static_cast<uint8_t>(((FamilyIdTable[14][1] - '0') << 4) | (FamilyIdTable[14][2] - '0'));
  EXPECT_EQ(Identify(), 14);
}

TEST_F(ChipIdentificationTest, IdStringRevisionRules) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(1, IdRoute::kIdString));
  struct Case {
    std::vector<uint8_t> id;
    ChipCode expected;
  };
  const Case cases[] = {
      {{'K', 'R', 'B', '1', '-', '3'}, 0x0401},
      {{'K', 'R', 'B', '1', '-'}, 0xD101},  // byte 5 zero: 0 - 47 wraps
      {{'K', 'R', 'C', '7'}, 0x0107},
      {{'K', 'R', 'C', '7', 0, '3'}, 0x0107},  // past the string's end reads as zero
      {{'K', 'R', 'C', '7', '-', '3'}, 0x0407},
      {{'K', 'R', 'C', '5', '+', 0x02}, 0x0320},
      {{'K', 'R', 'C', '5', '+', 0xFF}, 0x0020},
      {{'K', 'R', 'C', 0, '7'}, 0},
      {{'K', 'R', 'E', '1', '-', '0', '7', '7', '9'}, 0x010B},
      {{'k', 'R', 'B', '1', '-', '3'}, 0},
  };
  for (const Case& c : cases) {
    SetIdString(chip, c.id);
    EXPECT_EQ(Identify(), c.expected) << std::string(c.id.begin(), c.id.end());
  }
}

TEST_F(ChipIdentificationTest, IdStringKeepsOrReplacesTheFirstStage) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(3, IdRoute::kChipInfo));
  chip.identity().chipInfo[11] = '7';
  EXPECT_EQ(Identify(), 0x0703);  // no id string: family 3 keeps its revision
  SetIdString(chip, {'K', 'R', 'B', '3', '-', 'X'});
  EXPECT_EQ(Identify(), 0x0704);
  SetIdString(chip, {'K', 'R', 'B', '3', '-', '2'});
  EXPECT_EQ(Identify(), 0x0703);

  machine.Remove(kPath);
  VirtualEnclosure& one =
      machine.AddDisk(paths::kUasEnclosure, VirtualEnclosure::Bridge(1, IdRoute::kChipInfo));
  one.identity().chipInfo[11] = '5';
  EXPECT_EQ(IdentifyChip(paths::kUasEnclosure), 0x0101);  // failing id string: revision 1
}

TEST_F(ChipIdentificationTest, Family8CheckAndItsBox) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(8, IdRoute::kInquiry));
  chip.identity().chipInfo[11] = '2';
  EXPECT_EQ(Identify(), 0x0208);
  EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kGetChipInfo}));
  EXPECT_EQ(machine.trace().back().length, 12u);
  EXPECT_TRUE(shell.boxes.empty());

  chip.identity().chipInfo[11] = '3';
  EXPECT_EQ(Identify(), 8);
  chip.identity().chipInfo[11] = '1';
  chip.faults().wrongSignature = true;
  EXPECT_EQ(Identify(), 8);
  chip.faults().wrongSignature = false;
  chip.faults().FailEvery(K::kGetChipInfo);
  EXPECT_EQ(Identify(), 8);
  ASSERT_EQ(shell.boxes.size(), 3u);
  for (const VirtualShell::Box& box : shell.boxes) {
    EXPECT_EQ(box.text, "Get chip information fail !");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.style, kMbIconError);
  }

  // A failed check keeps the revision of the first stage.
  machine.Remove(kPath);
  VirtualEnclosure& byInfo =
      machine.AddDisk(paths::kUasEnclosure, VirtualEnclosure::Bridge(8, IdRoute::kChipInfo));
  byInfo.identity().chipInfo[11] = '6';
  EXPECT_EQ(IdentifyChip(paths::kUasEnclosure), 0x0608);
  EXPECT_EQ(shell.boxes.size(), 4u);
}

TEST_F(ChipIdentificationTest, Family12VendorBlockThenRevisionRegister) {
  VirtualEnclosure& chip = Add(VirtualEnclosure::Bridge(12, IdRoute::kChipInfo));
  chip.identity().chipInfo[11] = '4';
  chip.registers()[0xFDB1] = 179;
  EXPECT_EQ(Identify(), 0x040C);
  chip.registers()[0xFDB1] = 180;
  EXPECT_EQ(Identify(), 0x050C);
  EXPECT_EQ(Sent(), (Kinds{K::kInquiry, K::kReadBridgeWord, K::kGetChipInfo, K::kReadVendorBlock,
                           K::kReadBridgeRegister}));
  chip.SetAnswers(K::kReadVendorBlock, true);
  EXPECT_EQ(Identify(), 0x041C);
  EXPECT_FALSE(WasSent(K::kReadBridgeRegister));
}

}  // namespace
