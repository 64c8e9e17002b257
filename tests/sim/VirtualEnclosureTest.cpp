// The virtual enclosure itself: the faults and chip states that the other
// tests rely on must show on the transport the way a real device shows them.

#include <gtest/gtest.h>

#include <vector>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/ScsiTransport.h"
#include "IDEAccess/SenseData.h"
#include "support/TestSeams.h"

namespace {

using Bytes = std::vector<uint8_t>;

class VirtualEnclosureTest : public SimTest {
 protected:
  Bytes Piece(uint8_t seed) const {
    Bytes piece(1024);
    for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<uint8_t>(seed + i * 13);
    return piece;
  }
  int ReadFlash() {
    uint8_t reply[4];
    return ReadFlashIndex(kUsbPath, reply);
  }
};

TEST_F(VirtualEnclosureTest, FailCommandNumberCountsCommandsToThisDevice) {
  chip.faults().failCommandNumber = 2;
  EXPECT_EQ(1, ReadFlash());
  EXPECT_EQ(0, ReadFlash());
  EXPECT_EQ(1, ReadFlash());
}

TEST_F(VirtualEnclosureTest, FailureStylesShowAsTheTransportSeesThem) {
  uint8_t inquiry[40];
  chip.faults().FailEvery(CommandKind::kInquiry);

  chip.faults().style = FailureStyle::kCheckCondition;
  EXPECT_EQ(0, Inquiry(kUsbPath, inquiry, 40));
  EXPECT_EQ(0x02, machine.trace().back().scsiStatus);

  chip.faults().style = FailureStyle::kIoError;
  EXPECT_EQ(0, Inquiry(kUsbPath, inquiry, 40));
  EXPECT_FALSE(machine.trace().back().requestSucceeded);
  EXPECT_EQ(kErrorIoDevice, machine.trace().back().lastError);

  // A short transfer: the first half of the reply arrives, the rest is zero.
  chip.faults().style = FailureStyle::kShortData;
  Bytes buffer(40, 0xAA);
  uint32_t transferred = 0;
  const uint8_t cdb[12] = {0x12, 0, 0, 0, 40};
  EXPECT_EQ(0, ScsiDataIn(kUsbPath, cdb, 12, buffer.data(), 40, &transferred));
  EXPECT_EQ(20u, transferred);
  EXPECT_EQ('O', buffer[8]);
  EXPECT_EQ(Bytes(20, 0), Bytes(buffer.begin() + 20, buffer.end()));
}

TEST_F(VirtualEnclosureTest, OpenFailureAndVanishingDevice) {
  chip.faults().openError = kErrorAccessDenied;
  EXPECT_EQ(0, ReadFlash());
  EXPECT_FALSE(machine.trace().back().opened);
  EXPECT_EQ(kErrorAccessDenied, machine.trace().back().lastError);

  chip.faults().openError = 0;
  chip.faults().vanishAfterCommands = 2;
  EXPECT_EQ(1, ReadFlash());
  EXPECT_EQ(1, ReadFlash());
  EXPECT_EQ(0, ReadFlash());
  EXPECT_FALSE(machine.trace().back().opened);
  EXPECT_EQ(kErrorFileNotFound, machine.trace().back().lastError);
}

TEST_F(VirtualEnclosureTest, UnansweredCommandLeavesSenseForTheNextRequestSense) {
  uint8_t block[512];
  EXPECT_EQ(0, ReadVendorBlock(kUsbPath, 100, 1, block, 512));
  uint8_t sense[18] = {};
  const uint8_t cdb[12] = {0x03, 0, 0, 0, 18};
  uint32_t transferred = 0;
  ASSERT_EQ(1, ScsiDataIn(kUsbPath, cdb, 12, sense, 18, &transferred));
  EXPECT_EQ(0x05, sense[2]) << "illegal request";
  EXPECT_EQ(0x20, sense[12]) << "invalid command operation code";
  ASSERT_EQ(1, ScsiDataIn(kUsbPath, cdb, 12, sense, 18, &transferred));
  EXPECT_EQ(0x00, sense[2]) << "sense is cleared once fetched";
}

TEST_F(VirtualEnclosureTest, DownloadPiecesReadBackExceptTheChipsOwnHeader) {
  const Bytes first = Piece(1);
  const Bytes second = Piece(2);
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, first.data(), 0, 1024));
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, second.data(), 0x400, 1024));
  Bytes back(1024);
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x01, 0, 0, back.data(), 1024));
  EXPECT_EQ(Bytes(first.begin(), first.begin() + 0x200), Bytes(back.begin(), back.begin() + 0x200));
  EXPECT_NE(Bytes(first.begin() + 0x200, first.end()), Bytes(back.begin() + 0x200, back.end()));
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x01, 0, 0x400, back.data(), 1024));
  EXPECT_EQ(second, back);
}

TEST_F(VirtualEnclosureTest, DownloadRefusesUnalignedOrOversizedPieces) {
  const Bytes piece = Piece(3);
  EXPECT_EQ(0, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0x200, 1024));
  EXPECT_EQ(0, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0xC400, 1024)) << "past capacity";
  chip.SetDescriptor(0x0A, 0xC600);
  EXPECT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0xC400, 512));
}

TEST_F(VirtualEnclosureTest, FlippedReadBackForAGivenNumberOfPasses) {
  const Bytes piece = Piece(4);
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0x400, 1024));
  chip.faults().flipReadBack = true;
  chip.faults().flipOffset = 0x410;
  chip.faults().flipReadBackPasses = 1;
  Bytes back(1024);
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x01, 0, 0x400, back.data(), 1024));
  EXPECT_EQ(static_cast<uint8_t>(piece[0x10] ^ 0xFF), back[0x10]);
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x01, 0, 0x400, back.data(), 1024));
  EXPECT_EQ(piece, back);
}

TEST_F(VirtualEnclosureTest, RefusedReadBackIsAnInvalidFieldAndOnlyWhereItCovers) {
  const Bytes piece = Piece(6);
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0x400, 1024));
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0x800, 1024));
  chip.faults().refuseReadBackAt = 0x7FF;
  Bytes back(1024);
  ClearFailureSense();
  EXPECT_EQ(0, ReadBuffer(kUsbPath, 0x01, 0, 0x400, back.data(), 1024));
  EXPECT_EQ("ILLEGAL REQUEST, INVALID FIELD IN CDB", SenseText(LastFailureSense()));
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x01, 0, 0x800, back.data(), 1024));
  EXPECT_EQ(piece, back);
}

TEST_F(VirtualEnclosureTest, InternalCodeTakesOnlyTheRomThenSwitchesToFirmware) {
  chip.SetRunningInternalCode(true);
  uint8_t info[16];
  uint32_t transferred;
  ASSERT_EQ(1, GetChipInfo(kUsbPath, info, 16, &transferred));
  EXPECT_EQ(0, info[6]);
  uint8_t descriptor[4];
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x03, 0, 0, descriptor, 4));
  EXPECT_EQ((Bytes{0xFF, 0x00, 0xC4, 0x00}), Bytes(descriptor, descriptor + 4));

  const Bytes piece = Piece(5);
  EXPECT_EQ(0, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0, 1024));
  // The switch before a ROM is loaded changes nothing.
  ASSERT_EQ(1, WriteBridgeMemory(kUsbPath, 0, nullptr, 0, 3));
  EXPECT_TRUE(chip.runningInternalCode());

  const Bytes rom(0xC400, 0x77);
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x06, rom.data(), 0, 0xC400));
  ASSERT_EQ(1, WriteBridgeMemory(kUsbPath, 0, nullptr, 0, 3));
  EXPECT_FALSE(chip.runningInternalCode());
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x03, 0, 0, descriptor, 4));
  EXPECT_EQ(0x0A, descriptor[0]);
  EXPECT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0, 1024));
}

TEST_F(VirtualEnclosureTest, PowerCycleActivatesOnlyACompleteDownload) {
  Bytes image(0xC400);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
  image[0x10] = 21;
  image[0x11] = 32;
  image[0x12] = 0;
  image[0x13] = 3;
  // All pieces but the last: no activation.
  for (uint32_t at = 0; at + 1024 < image.size(); at += 1024) {
    ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, image.data() + at, at, 1024));
  }
  chip.PowerCycle();
  uint8_t info[16];
  uint32_t transferred;
  ASSERT_EQ(1, GetChipInfo(kUsbPath, info, 16, &transferred));
  EXPECT_EQ((Bytes{21, 32, 0, 1}), Bytes(info + 12, info + 16));

  for (uint32_t at = 0; at < image.size(); at += 1024) {
    ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, image.data() + at, at, 1024));
  }
  chip.PowerCycle();
  ASSERT_EQ(1, GetChipInfo(kUsbPath, info, 16, &transferred));
  EXPECT_EQ((Bytes{21, 32, 0, 3}), Bytes(info + 12, info + 16));
}

TEST_F(VirtualEnclosureTest, IgnoredWritesSucceedButStoreNothing) {
  chip.faults().ignoreMemoryWrites = true;
  uint8_t block[512];
  ASSERT_EQ(1, ReadBridgeMemory(kUsbPath, 0xD000, block, 512));
  const Bytes before(block, block + 512);
  block[48] = 0x22;
  EXPECT_EQ(1, WriteBridgeMemory(kUsbPath, 0xD000, block, 512, 1));
  ASSERT_EQ(1, ReadBridgeMemory(kUsbPath, 0xD000, block, 512));
  EXPECT_EQ(before, Bytes(block, block + 512));
}

}  // namespace
