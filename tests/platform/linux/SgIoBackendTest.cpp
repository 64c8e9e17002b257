// The Linux seams on paths that are no SCSI device: a missing path, which
// cannot be opened, and a regular file, which opens but refuses SG_IO.

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "IDEAccess/PassThroughRecord.h"
#include "IDEAccess/ScsiTransport.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SgIoBackend.h"
#include "seams/Seams.h"
#include "support/TempDir.h"

namespace {

const uint8_t kInquiryCdb[6] = {0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
const uint8_t kWriteCdb[10] = {0x3B, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00};
constexpr char kFileContent[] = "not a disk";

bool RefusedAsNoScsiDevice(uint32_t error) {
  return error == ENOTTY || error == EINVAL;
}

class SgIoPaths : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    missing_ = (temp_.path() / "no-such-disk").string();
    file_ = (temp_.path() / "image.bin").string();
    ASSERT_TRUE(WriteTextFile(file_, kFileContent));
  }

  std::string FileContent() const {
    std::ifstream in(file_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A record as the transport prepares it for a 36-byte read.
  static std::array<uint8_t, ptr::kStorageSize> InquiryRecord() {
    std::array<uint8_t, ptr::kStorageSize> record{};
    ptr::Put16(record.data(), ptr::kLength, static_cast<uint16_t>(ptr::kSize));
    record[ptr::kCdbLength] = sizeof(kInquiryCdb);
    record[ptr::kDataIn] = ptr::kDataInValue;
    ptr::Put32(record.data(), ptr::kDataTransferLength, 36);
    ptr::Put32(record.data(), ptr::kTimeOutValue, 10);
    for (size_t i = 0; i < sizeof(kInquiryCdb); ++i) record[ptr::kCdb + i] = kInquiryCdb[i];
    return record;
  }

  TempDir temp_;
  std::string missing_;
  std::string file_;
};

// --- The backend on its own -------------------------------------------------

TEST_F(SgIoPaths, MissingPathIsNotOpenedAndSaysWhy) {
  SgIoBackend backend;
  auto record = InquiryRecord();
  std::array<uint8_t, 36> data{};
  ScsiRequest request;
  request.path = missing_.c_str();
  request.record = record.data();
  request.data = data.data();

  const BackendResult result = backend.Execute(request);
  EXPECT_FALSE(result.opened);
  EXPECT_FALSE(result.requestSucceeded);
  EXPECT_EQ(result.lastError, static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(ptr::Get32(record.data(), ptr::kDataTransferLength), 36u);

  StorageDeviceNumber answer;
  const BackendResult query = backend.QueryDeviceNumber(missing_.c_str(), &answer);
  EXPECT_FALSE(query.opened);
  EXPECT_EQ(query.lastError, static_cast<uint32_t>(ENOENT));
}

TEST_F(SgIoPaths, RegularFileOpensButRefusesTheRequest) {
  SgIoBackend backend;
  auto record = InquiryRecord();
  std::array<uint8_t, 36> data{};
  ScsiRequest request;
  request.path = file_.c_str();
  request.record = record.data();
  request.data = data.data();

  for (OpenAccess access : {OpenAccess::kReadWrite, OpenAccess::kQueryOnly}) {
    request.access = access;
    ptr::Put32(record.data(), ptr::kDataTransferLength, 36);
    const BackendResult result = backend.Execute(request);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.requestSucceeded);
    EXPECT_TRUE(RefusedAsNoScsiDevice(result.lastError)) << "errno " << result.lastError;
    EXPECT_EQ(ptr::Get32(record.data(), ptr::kDataTransferLength), 0u);
  }
  EXPECT_EQ(FileContent(), kFileContent);
}

TEST_F(SgIoPaths, RegularFileHasNoDeviceNumber) {
  SgIoBackend backend;
  StorageDeviceNumber answer;
  answer.PartitionNumber = 77;

  const BackendResult result = backend.QueryDeviceNumber(file_.c_str(), &answer);
  EXPECT_TRUE(result.opened);
  EXPECT_FALSE(result.requestSucceeded);
  EXPECT_EQ(result.lastError, static_cast<uint32_t>(ENOTTY));
  EXPECT_EQ(answer.PartitionNumber, 77u);

  const BackendResult onDirectory = backend.QueryDeviceNumber(temp_.path().c_str(), &answer);
  EXPECT_TRUE(onDirectory.opened);
  EXPECT_EQ(onDirectory.lastError, static_cast<uint32_t>(ENOTTY));
}

// --- Through the transport with the platform's seams ------------------------

using SgIoTransport = SgIoPaths;

TEST_F(SgIoTransport, MissingPathLeavesTheCallersDataAlone) {
  ScopedSeams guard(LinuxPlatformSeams());
  std::array<uint8_t, 36> buffer{};
  buffer.fill(0xAA);
  uint32_t transferred = 0xDEADBEEF;

  EXPECT_EQ(ScsiDataIn(missing_.c_str(), kInquiryCdb, sizeof(kInquiryCdb), buffer.data(), 36,
                       &transferred),
            0);
  std::array<uint8_t, 36> untouched{};
  untouched.fill(0xAA);
  EXPECT_EQ(buffer, untouched);
  EXPECT_EQ(transferred, 0xDEADBEEFu);

  const std::array<uint8_t, 8> payload{};
  EXPECT_EQ(
      ScsiDataOut(missing_.c_str(), kWriteCdb, sizeof(kWriteCdb), payload.data(), 8, &transferred),
      0);
  EXPECT_EQ(transferred, 0xDEADBEEFu);

  StorageDeviceNumber answer;
  answer.DeviceNumber = 0x5555;
  EXPECT_EQ(QueryDeviceNumber(missing_.c_str(), &answer), 0);
  EXPECT_EQ(answer.DeviceNumber, 0x5555u);
}

TEST_F(SgIoTransport, RegularFileFailsAndHandsBackZeros) {
  ScopedSeams guard(LinuxPlatformSeams());
  std::array<uint8_t, 36> buffer{};
  buffer.fill(0xAA);
  uint32_t transferred = 0xDEADBEEF;

  EXPECT_EQ(
      ScsiDataIn(file_.c_str(), kInquiryCdb, sizeof(kInquiryCdb), buffer.data(), 36, &transferred),
      0);
  // The device was opened, so the transport copies its (empty) buffer back.
  EXPECT_EQ(buffer, (std::array<uint8_t, 36>{}));
  EXPECT_EQ(transferred, 0u);

  const std::array<uint8_t, 8> payload = {1, 2, 3, 4, 5, 6, 7, 8};
  transferred = 0xDEADBEEF;
  EXPECT_EQ(
      ScsiDataOut(file_.c_str(), kWriteCdb, sizeof(kWriteCdb), payload.data(), 8, &transferred), 0);
  EXPECT_EQ(transferred, 0u);
  EXPECT_EQ(FileContent(), kFileContent);

  StorageDeviceNumber answer;
  answer.DeviceNumber = 0x5555;
  EXPECT_EQ(QueryDeviceNumber(file_.c_str(), &answer), 0);
  EXPECT_EQ(answer.DeviceNumber, 0x5555u);
}

}  // namespace
