// Every builder's CDB byte for byte, its direction, length and time-out, as the
// virtual enclosure receives them.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/PassThroughRecord.h"
#include "IDEAccess/SenseData.h"
#include "seams/Seams.h"
#include "support/TestSeams.h"

namespace {

using Bytes = std::vector<uint8_t>;

class BridgeCommandsTest : public SimTest {
 protected:
  const TraceEntry& Last() const { return machine.trace().back(); }
  const TraceEntry& At(size_t i) const { return machine.trace().at(i); }
};

TEST_F(BridgeCommandsTest, ExampleCdbsGoOutByteForByte) {
  uint8_t block[512] = {};
  ASSERT_EQ(1, ReadBridgeMemory(kUsbPath, 0xD000, block, 512));
  EXPECT_EQ((Bytes{0xDF, 0x10, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x00, 0xFA}),
            Last().cdb);
  EXPECT_TRUE(Last().dataIn);
  EXPECT_EQ(512u, Last().length);
  EXPECT_EQ(10u, Last().timeoutSeconds);

  ASSERT_EQ(1, WriteBridgeMemory(kUsbPath, 0xD000, block, 512, 1));
  EXPECT_EQ((Bytes{0xDF, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x00, 0xFB}),
            Last().cdb);
  EXPECT_FALSE(Last().dataIn);
  EXPECT_EQ(50u, Last().timeoutSeconds);

  WriteBridgeMemory(kUsbPath, 0, nullptr, 0, 3);
  EXPECT_EQ((Bytes{0xDF, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFB}), Last().cdb);
  EXPECT_EQ(0u, Last().length);
  EXPECT_EQ(100u, Last().timeoutSeconds);

  // Mode AND 0x87: 0x0B becomes 3 and so gets the long time-out.
  WriteBridgeMemory(kUsbPath, 0, nullptr, 0, 0x0B);
  EXPECT_EQ(0x03, Last().cdb[1]);
  EXPECT_EQ(100u, Last().timeoutSeconds);

  uint8_t descriptor[4] = {};
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x03, 0, 0, descriptor, 4));
  EXPECT_EQ((Bytes{0x3C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00}), Last().cdb);

  Bytes piece(1024, 0x5A);
  ASSERT_EQ(1, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0x000400, 1024));
  EXPECT_EQ((Bytes{0x3B, 0x0E, 0x00, 0x00, 0x04, 0x00, 0x00, 0x04, 0x00, 0x00}), Last().cdb);
  EXPECT_EQ(50u, Last().timeoutSeconds);

  uint8_t reg[4];
  ASSERT_EQ(1, ReadBridgeRegister(kUsbPath, reg, 0xFDB0, 4));
  EXPECT_EQ((Bytes{0xDF, 0x10, 0x00, 0x00, 0x04, 0x00, 0xFD, 0xB0, 0x00, 0x00, 0x00, 0xFD}),
            Last().cdb);
}

TEST_F(BridgeCommandsTest, QueryAndChipCommands) {
  uint8_t inquiry[40];
  uint8_t info[16];
  uint8_t word[2];
  uint8_t status;
  uint8_t flash[4];
  uint8_t id[40];
  uint32_t transferred = 0;
  Inquiry(kUsbPath, inquiry, 40);
  GetChipInfo(kUsbPath, info, 16, &transferred);
  EXPECT_EQ(16u, transferred) << "the chip information builders pass the count through";
  GetChipInfoAlt(kUsbPath, info, 16, &transferred);
  ReadBridgeWord(kUsbPath, word);
  ReadStatusByte(kUsbPath, &status);
  ReadFlashIndex(kUsbPath, flash);
  ReadIdString(kUsbPath, id, 40);
  ReadVendorBlock(kUsbPath, 100, 1, id, 8);

  const std::vector<Bytes> expected = {
      {0x12, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0},
      {0xE0, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0xFE, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0xDF, 0x10, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0xFF},
      {0xFF, 0x04, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0xFF, 0x04, 0x23, 0x04, 0, 0, 0, 0, 0, 0, 0, 0},
      {0xFF, 0x04, 0x30, 0x08, 0, 0, 0, 0, 0, 0, 0, 0},
      {0xB5, 0, 0, 0, 0, 100, 0, 0, 1, 0, 0, 0},
  };
  const std::vector<uint32_t> lengths = {40, 16, 16, 2, 2, 4, 40, 8};
  ASSERT_EQ(expected.size(), machine.trace().size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i], At(i).cdb) << i;
    EXPECT_EQ(lengths[i], At(i).length) << i;
    EXPECT_TRUE(At(i).dataIn) << i;
    EXPECT_EQ(ShareMode::kReadWrite, At(i).share) << i;
  }
}

TEST_F(BridgeCommandsTest, StatusByteMovesTwoBytesAndHandsOverOne) {
  uint8_t status[2] = {0xEE, 0xEE};
  chip.faults().busyReads = 1;
  ASSERT_EQ(1, ReadStatusByte(kUsbPath, status));
  EXPECT_EQ(2u, Last().length);
  EXPECT_EQ(0x01, status[0]);
  EXPECT_EQ(0xEE, status[1]);
}

TEST_F(BridgeCommandsTest, LargeValuesAreSplitBigEndianAndTruncatedToTheFieldWidth) {
  uint8_t one[2];
  ReadBuffer(kUsbPath, 0x01, 0, 0x12345678, one, 1);  // offset keeps 24 bits
  EXPECT_EQ((Bytes{0x3C, 0x01, 0x00, 0x34, 0x56, 0x78, 0x00, 0x00, 0x01, 0x00}),
            machine.trace().at(0).cdb);
  uint8_t block[4];
  ReadBridgeMemory(kUsbPath, 0xABCDEF12, block, 4);  // address keeps 24 bits
  EXPECT_EQ((Bytes{0xDF, 0x10, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0xCD, 0xEF, 0x12, 0xFA}),
            Last().cdb);
}

TEST_F(BridgeCommandsTest, ActivateDeferredFormCarriesOnlyOpcodeAndMode) {
  Bytes data(16, 1);
  WriteBuffer(kUsbPath, 5, 0x0F, data.data(), 0x1234, 16);
  EXPECT_EQ((Bytes{0x3B, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0}), machine.trace().at(0).cdb);
  EXPECT_EQ(16u, machine.trace().at(0).length) << "the transport still gets the length";
}

TEST_F(BridgeCommandsTest, FailedBufferCommandsFetchSenseThenReportFailure) {
  chip.faults().failCommandNumber = 1;
  Bytes piece(1024);
  EXPECT_EQ(0, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0, 1024));
  ASSERT_EQ(2u, machine.trace().size());
  EXPECT_EQ(CommandKind::kRequestSense, At(1).kind);
  EXPECT_EQ((Bytes{0x03, 0, 0, 0, 0x12, 0, 0, 0, 0, 0, 0, 0}), At(1).cdb);
  EXPECT_EQ(18u, At(1).length);
  EXPECT_EQ("HARDWARE ERROR, INTERNAL TARGET FAILURE", SenseText(LastFailureSense()))
      << "kept from the reply";

  // A failed REQUEST SENSE does not change the result.
  machine.ClearTrace();
  chip.faults().FailEvery(CommandKind::kRequestSense);
  chip.faults().FailEvery(CommandKind::kReadBufferData);
  EXPECT_EQ(0, ReadBuffer(kUsbPath, 0x01, 0, 0, piece.data(), 1024));
  ASSERT_EQ(2u, machine.trace().size());
  EXPECT_FALSE(At(1).ok());

  // Other commands never follow up with sense.
  machine.ClearTrace();
  chip.faults().FailEvery(CommandKind::kReadBridgeMemory);
  EXPECT_EQ(0, ReadBridgeMemory(kUsbPath, 0xD000, piece.data(), 512));
  EXPECT_EQ(1u, machine.trace().size());
}

// The sense the system fetched with the failed command itself comes first:
// the REQUEST SENSE after it may find the condition cleared.
TEST_F(BridgeCommandsTest, TheFailedCommandsOwnSenseIsKeptBeforeTheReply) {
  class AutoSense final : public ScsiBackend {
   public:
    explicit AutoSense(ScsiBackend& inner) : inner_(inner) {}
    BackendResult Execute(const ScsiRequest& request) override {
      BackendResult result = inner_.Execute(request);
      if (request.record[ptr::kScsiStatus] != 0) {
        const uint8_t illegal[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00};
        std::copy(std::begin(illegal), std::end(illegal), result.sense);
        result.senseLength = sizeof illegal;
      }
      return result;
    }
    BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* number) override {
      return inner_.QueryDeviceNumber(path, number);
    }

   private:
    ScsiBackend& inner_;
  } autoSense(machine);
  Seams seams;
  seams.scsi = &autoSense;
  const ScopedSeams installed(seams);
  chip.faults().failCommandNumber = 1;
  Bytes piece(1024);
  EXPECT_EQ(0, WriteBuffer(kUsbPath, 0, 0x0E, piece.data(), 0, 1024));
  EXPECT_EQ(CommandKind::kRequestSense, At(1).kind) << "sent all the same";
  EXPECT_EQ("ILLEGAL REQUEST, INVALID FIELD IN CDB", SenseText(LastFailureSense()));
}

TEST_F(BridgeCommandsTest, SuccessfulBufferCommandsSendNoSense) {
  Bytes piece(1024);
  ASSERT_EQ(1, ReadBuffer(kUsbPath, 0x01, 0, 0, piece.data(), 1024));
  EXPECT_EQ(1u, machine.trace().size());
}

TEST(BridgeCommandsDeath, IdStringShorterThanEightBytesIsAProgrammingError) {
  uint8_t buffer[8];
  EXPECT_DEATH(ReadIdString("dev", buffer, 7), "length >= 0x08");
}

class WaitBridgeReadyTest : public SimTest {};

TEST_F(WaitBridgeReadyTest, IdleBridgeIsReadAtOnce) {
  EXPECT_EQ(1, WaitBridgeReady(kUsbPath));
  EXPECT_EQ(1u, machine.CountOf(CommandKind::kReadStatusByte));
  EXPECT_TRUE(shell.sleeps.empty());
}

TEST_F(WaitBridgeReadyTest, BusyForAFewReadsWaitsTenMillisecondsBetweenThem) {
  chip.faults().busyReads = 3;
  EXPECT_EQ(1, WaitBridgeReady(kUsbPath));
  EXPECT_EQ(4u, machine.CountOf(CommandKind::kReadStatusByte));
  EXPECT_EQ((std::vector<uint32_t>{10, 10, 10}), shell.sleeps);
}

TEST_F(WaitBridgeReadyTest, AlwaysBusyGivesUpAfter501Reads) {
  chip.faults().busyReads = UINT32_MAX;
  EXPECT_EQ(0, WaitBridgeReady(kUsbPath));
  EXPECT_EQ(501u, machine.CountOf(CommandKind::kReadStatusByte));
  EXPECT_EQ(500u, shell.sleeps.size());
}

TEST_F(WaitBridgeReadyTest, FailedOrUnopenableFirstReadCountsAsNotBusy) {
  chip.faults().busyReads = UINT32_MAX;
  chip.faults().FailEvery(CommandKind::kReadStatusByte);
  EXPECT_EQ(1, WaitBridgeReady(kUsbPath));
  EXPECT_EQ(1u, machine.CountOf(CommandKind::kReadStatusByte));

  EXPECT_EQ(1, WaitBridgeReady("\\\\?\\usbstor#gone"));
}

class RevisionRegisterTest : public SimTest {
 protected:
  void SetSecondByte(uint8_t value) { chip.registers()[0xFDB0 + 1] = value; }
};

TEST_F(RevisionRegisterTest, SecondByteDecides) {
  SetSecondByte(179);
  EXPECT_EQ(0, CheckRevisionRegister(kUsbPath));
  SetSecondByte(180);
  EXPECT_EQ(1, CheckRevisionRegister(kUsbPath));
  SetSecondByte(255);
  EXPECT_EQ(1, CheckRevisionRegister(kUsbPath));
  chip.registers()[0xFDB0] = 200;  // the first byte plays no part
  SetSecondByte(0);
  EXPECT_EQ(0, CheckRevisionRegister(kUsbPath));
}

TEST_F(RevisionRegisterTest, FailedReadGivesZero) {
  SetSecondByte(200);
  chip.faults().FailEvery(CommandKind::kReadBridgeRegister);
  EXPECT_EQ(0, CheckRevisionRegister(kUsbPath));
}

}  // namespace
