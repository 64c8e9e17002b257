// The transport's rules, checked on the record it hands to the backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "IDEAccess/PassThroughRecord.h"
#include "IDEAccess/ScsiTransport.h"
#include "seams/Seams.h"
#include "support/RecordingBackend.h"

namespace {

const uint8_t kCdb12[12] = {0xDF, 0x10, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x00, 0xFA};
const uint8_t kCdb10[10] = {0x3B, 0x0E, 0x00, 0x00, 0x04, 0x00, 0x00, 0x04, 0x00, 0x00};

class TransportTest : public ::testing::Test {
 protected:
  TransportTest() : seams_(Seams{&backend, nullptr}) {}
  const RecordedRequest& last() const { return backend.requests.back(); }
  uint32_t Field32(size_t offset) const { return ptr::Get32(last().record.data(), offset); }

  RecordingBackend backend;

 private:
  ScopedSeams seams_;
};

TEST_F(TransportTest, DataInFillsTheRecordAsTheSystemExpects) {
  uint8_t buffer[512] = {};
  uint32_t transferred = 0;
  ASSERT_EQ(1, ScsiDataIn("\\\\.\\X:", kCdb12, 12, buffer, 512, &transferred));

  const RecordedRequest& r = last();
  EXPECT_EQ("\\\\.\\X:", r.path);
  EXPECT_EQ(OpenAccess::kReadWrite, r.access);
  EXPECT_EQ(ShareMode::kReadWrite, r.share);
  EXPECT_EQ(44, ptr::Get16(r.record.data(), ptr::kLength));
  EXPECT_EQ(0, r.record[ptr::kScsiStatus]);
  EXPECT_EQ(0, r.record[ptr::kPathId]);
  EXPECT_EQ(1, r.record[ptr::kTargetId]);
  EXPECT_EQ(0, r.record[ptr::kLun]);
  EXPECT_EQ(12, r.record[ptr::kCdbLength]);
  EXPECT_EQ(0, r.record[ptr::kSenseInfoLength]);
  EXPECT_EQ(1, r.record[ptr::kDataIn]);
  EXPECT_EQ(512u, Field32(ptr::kDataTransferLength));
  EXPECT_EQ(10u, Field32(ptr::kTimeOutValue));
  EXPECT_EQ(48u, Field32(ptr::kSenseInfoOffset));
  EXPECT_EQ(0, std::memcmp(kCdb12, &r.record[ptr::kCdb], 12));
  for (size_t i = ptr::kCdb + 12; i < ptr::kSize; ++i) EXPECT_EQ(0, r.record[i]) << i;
  // Record and data buffers are aligned to 8192 and handed over zero-filled.
  EXPECT_EQ(0u, r.recordAddress % 8192);
  EXPECT_EQ(0u, r.dataAddress % 8192);
  EXPECT_EQ(std::vector<uint8_t>(512, 0), r.dataOut);
  EXPECT_EQ(512u, transferred);
}

TEST_F(TransportTest, DataOutUsesNoSharingDataOutAndCopiesTheCallersBytes) {
  std::vector<uint8_t> piece(1024);
  for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<uint8_t>(i);
  uint32_t transferred = 0;
  ASSERT_EQ(1, ScsiDataOut("dev", kCdb10, 10, piece.data(), 1024, &transferred));

  const RecordedRequest& r = last();
  EXPECT_EQ(ShareMode::kNone, r.share);
  EXPECT_EQ(0, r.record[ptr::kDataIn]);
  EXPECT_EQ(10, r.record[ptr::kCdbLength]);
  EXPECT_EQ(50u, Field32(ptr::kTimeOutValue));
  EXPECT_EQ(piece, r.dataOut);
  EXPECT_EQ(0u, r.dataAddress % 8192);
}

TEST_F(TransportTest, LengthZeroMovesNothingEitherWay) {
  uint8_t sentinel = 0x5A;
  uint32_t transferred = 77;
  ASSERT_EQ(1, ScsiDataIn("dev", kCdb12, 12, &sentinel, 0, &transferred));
  EXPECT_FALSE(last().hadData);
  EXPECT_EQ(0u, Field32(ptr::kDataTransferLength));
  EXPECT_EQ(0x5A, sentinel);
  EXPECT_EQ(0u, transferred);

  ASSERT_EQ(1, ScsiDataOut("dev", kCdb12, 12, nullptr, 0, &transferred));
  EXPECT_FALSE(last().hadData);
  EXPECT_EQ(0u, Field32(ptr::kDataTransferLength));
}

TEST_F(TransportTest, LengthOneMovesTwoBytesAndHandsOverOne) {
  backend.answer.dataIn = {0x81, 0x82};
  uint8_t in[2] = {0x00, 0xEE};
  uint32_t transferred = 0;
  ASSERT_EQ(1, ScsiDataIn("dev", kCdb12, 12, in, 1, &transferred));
  EXPECT_EQ(2u, Field32(ptr::kDataTransferLength));
  EXPECT_EQ(0x81, in[0]);
  EXPECT_EQ(0xEE, in[1]) << "only one byte is handed to the caller";
  EXPECT_EQ(2u, transferred);

  const uint8_t out = 0x42;
  ASSERT_EQ(1, ScsiDataOut("dev", kCdb12, 12, &out, 1, &transferred));
  EXPECT_EQ(2u, Field32(ptr::kDataTransferLength));
  EXPECT_EQ((std::vector<uint8_t>{0x42, 0x00}), last().dataOut);
}

TEST_F(TransportTest, RejectedCommandFailsAndLeavesWhatArrivedFollowedByZeros) {
  backend.answer.scsiStatus = 0x02;
  backend.answer.dataIn = {1, 2, 3};
  backend.answer.setTransferred = true;
  backend.answer.transferred = 3;
  std::vector<uint8_t> buffer(8, 0xAA);
  uint32_t transferred = 99;
  EXPECT_EQ(0, ScsiDataIn("dev", kCdb12, 12, buffer.data(), 8, &transferred));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 0, 0, 0, 0, 0}), buffer);
  EXPECT_EQ(3u, transferred) << "the count is handed over also after a failure";

  backend.answer.dataIn.clear();
  std::fill(buffer.begin(), buffer.end(), 0xAA);
  EXPECT_EQ(0, ScsiDataIn("dev", kCdb12, 12, buffer.data(), 8, &transferred));
  EXPECT_EQ(std::vector<uint8_t>(8, 0), buffer);
}

TEST_F(TransportTest, SuccessNeedsAllThreeParts) {
  uint8_t buffer[4];
  uint32_t transferred;
  backend.answer = ScriptedAnswer{};
  backend.answer.requestSucceeded = false;
  EXPECT_EQ(0, ScsiDataIn("dev", kCdb12, 12, buffer, 4, &transferred));
  EXPECT_EQ(0, ScsiDataOut("dev", kCdb12, 12, buffer, 4, &transferred));

  backend.answer = ScriptedAnswer{};
  backend.answer.lastError = 1117;
  EXPECT_EQ(0, ScsiDataIn("dev", kCdb12, 12, buffer, 4, &transferred));
  EXPECT_EQ(0, ScsiDataOut("dev", kCdb12, 12, buffer, 4, &transferred));

  backend.answer = ScriptedAnswer{};
  backend.answer.scsiStatus = 0x08;
  EXPECT_EQ(0, ScsiDataIn("dev", kCdb12, 12, buffer, 4, &transferred));
  EXPECT_EQ(0, ScsiDataOut("dev", kCdb12, 12, buffer, 4, &transferred));

  backend.answer = ScriptedAnswer{};
  EXPECT_EQ(1, ScsiDataIn("dev", kCdb12, 12, buffer, 4, &transferred));
  EXPECT_EQ(1, ScsiDataOut("dev", kCdb12, 12, buffer, 4, &transferred));
}

TEST_F(TransportTest, OpenFailureTouchesNeitherBufferNorCount) {
  backend.answer.opened = false;
  backend.answer.lastError = 2;
  std::vector<uint8_t> buffer(16, 0xC3);
  uint32_t transferred = 0x12345678;
  EXPECT_EQ(0, ScsiDataIn("missing", kCdb12, 12, buffer.data(), 16, &transferred));
  EXPECT_EQ(std::vector<uint8_t>(16, 0xC3), buffer);
  EXPECT_EQ(0x12345678u, transferred);
  EXPECT_EQ(0, ScsiDataOut("missing", kCdb12, 12, buffer.data(), 16, &transferred));
  EXPECT_EQ(0x12345678u, transferred);

  StorageDeviceNumber number{1, 2, 3};
  EXPECT_EQ(0, QueryDeviceNumber("missing", &number));
  EXPECT_EQ(1u, number.DeviceType);
  EXPECT_EQ(2u, number.DeviceNumber);
  EXPECT_EQ(3u, number.PartitionNumber);
}

TEST_F(TransportTest, DataOutTimeoutRules) {
  uint32_t transferred;
  // Byte 2 = 0x13 gives 100 s, for any CDB length.
  const uint8_t byte2[10] = {0x3B, 0x0E, 0x13};
  ScsiDataOut("dev", byte2, 10, nullptr, 0, &transferred);
  EXPECT_EQ(100u, Field32(ptr::kTimeOutValue));
  // The mode-3 bridge memory write: 12 bytes, byte 11 0xFB, byte 1 3.
  const uint8_t mode3[12] = {0xDF, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFB};
  ScsiDataOut("dev", mode3, 12, nullptr, 0, &transferred);
  EXPECT_EQ(100u, Field32(ptr::kTimeOutValue));
  // Mode 1 of the same write: 50 s.
  const uint8_t mode1[12] = {0xDF, 0x01, 0, 0x02, 0, 0, 0, 0, 0, 0xD0, 0, 0xFB};
  ScsiDataOut("dev", mode1, 12, nullptr, 0, &transferred);
  EXPECT_EQ(50u, Field32(ptr::kTimeOutValue));
  // A 10-byte CDB never gets 100 s from the byte-11 test, even with the bytes
  // that follow it in memory looking like the mode-3 form.
  const uint8_t tenOfTwelve[12] = {0x3B, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFB};
  ScsiDataOut("dev", tenOfTwelve, 10, nullptr, 0, &transferred);
  EXPECT_EQ(50u, Field32(ptr::kTimeOutValue));
  // Data-in always gets 10 s, even for byte 2 = 0x13.
  uint8_t in[2];
  ScsiDataIn("dev", byte2, 10, in, 2, &transferred);
  EXPECT_EQ(10u, Field32(ptr::kTimeOutValue));
}

// How the query opens the device is the backend's to say; the Win32 backend's
// tests watch it against another opener.
TEST_F(TransportTest, QueryDeviceNumberNeedsACleanResult) {
  backend.deviceNumber = {7, 3, 2};
  StorageDeviceNumber number;
  ASSERT_EQ(1, QueryDeviceNumber("\\\\.\\E:", &number));
  EXPECT_EQ(7u, number.DeviceType);
  EXPECT_EQ(3u, number.DeviceNumber);
  EXPECT_EQ(2u, number.PartitionNumber);

  backend.answer.lastError = 6;
  EXPECT_EQ(0, QueryDeviceNumber("\\\\.\\E:", &number));
}

TEST_F(TransportTest, UnusableLengthsIssueNothing) {
  uint8_t buffer[4] = {9, 9, 9, 9};
  uint32_t transferred = 5;
  // A negative length, and one whose padded block cannot be had.
  EXPECT_EQ(0, ScsiDataIn("dev", kCdb12, 12, buffer, -1, &transferred));
  EXPECT_EQ(0, ScsiDataOut("dev", kCdb12, 12, buffer, 0xFFFFFFFFu, &transferred));
  EXPECT_TRUE(backend.requests.empty());
  EXPECT_EQ(9, buffer[0]);
  EXPECT_EQ(5u, transferred);
}

}  // namespace
