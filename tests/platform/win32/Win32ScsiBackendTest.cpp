// The Win32 backend against what this machine really has: a device name that
// does not exist, a plain file that opens but is no SCSI device, and the
// system's first disk and system volume. Run under Wine by CTest.

#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "IDEAccess/PassThroughRecord.h"
#include "IDEAccess/ScsiTransport.h"
#include "gtest/gtest.h"
#include "platform/win32/Win32Platform.h"
#include "seams/Seams.h"

namespace {

constexpr char kMissingDevice[] = "\\\\.\\TQ214_NoSuchDevice0";
constexpr char kFirstDisk[] = "\\\\.\\PhysicalDrive0";
constexpr char kSystemVolume[] = "\\\\.\\C:";

// INQUIRY for 8 bytes: harmless on any device that does get it.
constexpr uint8_t kInquiry[6] = {0x12, 0x00, 0x00, 0x00, 0x08, 0x00};
constexpr uint32_t kUntouched32 = 0xDEADBEEF;

// A record as the transport builds it for an 8-byte INQUIRY.
void BuildInquiryRecord(uint8_t* record) {
  std::memset(record, 0, ptr::kSize);
  ptr::Put16(record, ptr::kLength, static_cast<uint16_t>(ptr::kSize));
  record[ptr::kTargetId] = ptr::kTargetIdValue;
  record[ptr::kCdbLength] = sizeof(kInquiry);
  record[ptr::kDataIn] = ptr::kDataInValue;
  ptr::Put32(record, ptr::kDataTransferLength, 8);
  ptr::Put32(record, ptr::kTimeOutValue, kTimeoutInSeconds);
  ptr::Put32(record, ptr::kSenseInfoOffset, ptr::kSenseInfoOffsetValue);
  std::memcpy(record + ptr::kCdb, kInquiry, sizeof(kInquiry));
}

BackendResult ExecuteInquiry(const char* path, OpenAccess access, ShareMode share, uint8_t* record,
                             uint8_t* data) {
  BuildInquiryRecord(record);
  ScsiRequest request;
  request.path = path;
  request.access = access;
  request.share = share;
  request.record = record;
  request.data = data;
  return ActiveScsiBackend().Execute(request);
}

// A fresh empty file in the temporary directory, deleted with the object.
class TempFile {
 public:
  TempFile() {
    char dir[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, dir);
    if (length == 0 || length >= MAX_PATH) return;
    char name[MAX_PATH];
    if (GetTempFileNameA(dir, "tq", 0, name) != 0) path_ = name;
  }
  ~TempFile() {
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool created() const { return !path_.empty(); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// A second opener of a file, held for a scope.
class HeldHandle {
 public:
  HeldHandle(const char* path, DWORD access, DWORD share)
      : handle_(CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HeldHandle(const HeldHandle&) = delete;
  HeldHandle& operator=(const HeldHandle&) = delete;

  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class Win32BackendTest : public ::testing::Test {
 protected:
  ScopedSeams guard_{Win32PlatformSeams()};
};

// --- A device name that does not exist -------------------------------------

using Win32MissingDeviceTest = Win32BackendTest;

TEST_F(Win32MissingDeviceTest, TransfersFailWithoutTouchingTheCallersData) {
  uint8_t buffer[8];
  std::memset(buffer, 0x5C, sizeof(buffer));
  uint32_t transferred = kUntouched32;

  EXPECT_EQ(
      ScsiDataIn(kMissingDevice, kInquiry, sizeof(kInquiry), buffer, sizeof(buffer), &transferred),
      0);
  for (uint8_t byte : buffer) EXPECT_EQ(byte, 0x5C);
  EXPECT_EQ(transferred, kUntouched32);

  EXPECT_EQ(
      ScsiDataOut(kMissingDevice, kInquiry, sizeof(kInquiry), buffer, sizeof(buffer), &transferred),
      0);
  EXPECT_EQ(transferred, kUntouched32);
}

TEST_F(Win32MissingDeviceTest, DeviceNumberQueryFailsAndLeavesTheResult) {
  StorageDeviceNumber result;
  result.DeviceType = 7;
  result.DeviceNumber = 8;
  result.PartitionNumber = 9;

  EXPECT_EQ(QueryDeviceNumber(kMissingDevice, &result), 0);
  EXPECT_EQ(result.DeviceType, 7u);
  EXPECT_EQ(result.DeviceNumber, 8u);
  EXPECT_EQ(result.PartitionNumber, 9u);
}

TEST_F(Win32MissingDeviceTest, BackendReportsTheOpenError) {
  alignas(8) uint8_t record[ptr::kSize];
  uint8_t data[8] = {};
  const BackendResult transfer =
      ExecuteInquiry(kMissingDevice, OpenAccess::kReadWrite, ShareMode::kReadWrite, record, data);
  EXPECT_FALSE(transfer.opened);
  EXPECT_FALSE(transfer.requestSucceeded);
  EXPECT_NE(transfer.lastError, 0u);
  std::printf("  open of %s for a transfer: error %u\n", kMissingDevice,
              static_cast<unsigned>(transfer.lastError));

  StorageDeviceNumber result;
  const BackendResult query = ActiveScsiBackend().QueryDeviceNumber(kMissingDevice, &result);
  EXPECT_FALSE(query.opened);
  EXPECT_FALSE(query.requestSucceeded);
  EXPECT_NE(query.lastError, 0u);
  std::printf("  open of %s for the device number: error %u\n", kMissingDevice,
              static_cast<unsigned>(query.lastError));
}

// --- A plain file: it opens, but it is no SCSI device -----------------------

class Win32PlainFileTest : public Win32BackendTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file_.created()) << "no temporary file, error " << GetLastError();
  }
  TempFile file_;
};

TEST_F(Win32PlainFileTest, RefusedDataInStillZeroesTheCallersBuffer) {
  uint8_t buffer[8];
  std::memset(buffer, 0xAA, sizeof(buffer));
  uint32_t transferred = kUntouched32;

  EXPECT_EQ(
      ScsiDataIn(file_.path(), kInquiry, sizeof(kInquiry), buffer, sizeof(buffer), &transferred),
      0);
  // The transfer buffer comes back whatever the outcome; nothing arrived.
  for (uint8_t byte : buffer) EXPECT_EQ(byte, 0x00);
  // Windows copies nothing back for a refused request: the length asked.
  EXPECT_EQ(transferred, 8u);
}

TEST_F(Win32PlainFileTest, RefusedDataOutFails) {
  const uint8_t payload[4] = {1, 2, 3, 4};
  uint32_t transferred = kUntouched32;
  EXPECT_EQ(
      ScsiDataOut(file_.path(), kInquiry, sizeof(kInquiry), payload, sizeof(payload), &transferred),
      0);
  EXPECT_EQ(transferred, 4u);
}

TEST_F(Win32PlainFileTest, BackendHandsTheTransferBufferToWindowsAndReportsTheRefusal) {
  alignas(8) uint8_t record[ptr::kSize];
  uint8_t data[8] = {};
  const BackendResult result =
      ExecuteInquiry(file_.path(), OpenAccess::kReadWrite, ShareMode::kReadWrite, record, data);
  EXPECT_TRUE(result.opened);
  EXPECT_FALSE(result.requestSucceeded);
  EXPECT_NE(result.lastError, 0u);
  std::printf("  pass-through on a plain file: error %u\n",
              static_cast<unsigned>(result.lastError));
  EXPECT_EQ(ptr::Get32(record, ptr::kDataBuffer),
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data)));
}

// The transfers open the device for reading and writing; data in tolerates
// other openers, data out tolerates none. The device-number query asks for no
// access, which Windows never refuses for sharing.
TEST_F(Win32PlainFileTest, OpenModesMeetAnotherOpener) {
  alignas(8) uint8_t record[ptr::kSize];
  uint8_t data[8] = {};
  {
    HeldHandle other(file_.path(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(other.open());
    EXPECT_TRUE(
        ExecuteInquiry(file_.path(), OpenAccess::kReadWrite, ShareMode::kReadWrite, record, data)
            .opened);
    const BackendResult exclusive =
        ExecuteInquiry(file_.path(), OpenAccess::kReadWrite, ShareMode::kNone, record, data);
    EXPECT_FALSE(exclusive.opened);
    EXPECT_EQ(exclusive.lastError, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));

    uint32_t transferred = kUntouched32;
    EXPECT_EQ(
        ScsiDataOut(file_.path(), kInquiry, sizeof(kInquiry), data, sizeof(data), &transferred), 0);
    EXPECT_EQ(transferred, kUntouched32);
  }
  {
    HeldHandle reader(file_.path(), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader.open());
    const BackendResult writer =
        ExecuteInquiry(file_.path(), OpenAccess::kReadWrite, ShareMode::kReadWrite, record, data);
    EXPECT_FALSE(writer.opened);
    EXPECT_EQ(writer.lastError, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(ExecuteInquiry(file_.path(), OpenAccess::kQueryOnly, ShareMode::kNone, record, data)
                    .opened);

    StorageDeviceNumber result;
    EXPECT_TRUE(ActiveScsiBackend().QueryDeviceNumber(file_.path(), &result).opened);
  }
}

// --- Devices that answer the device-number query ----------------------------

using Win32DeviceNumberTest = Win32BackendTest;

// Skips when this machine has no such device; fails on any wrong answer.
TEST_F(Win32DeviceNumberTest, FirstDiskIsDiskZeroWholeDisk) {
  StorageDeviceNumber fromBackend;
  fromBackend.DeviceType = kUntouched32;
  fromBackend.DeviceNumber = kUntouched32;
  fromBackend.PartitionNumber = kUntouched32;
  const BackendResult outcome = ActiveScsiBackend().QueryDeviceNumber(kFirstDisk, &fromBackend);
  if (!outcome.opened) GTEST_SKIP() << kFirstDisk << " does not open, error " << outcome.lastError;

  ASSERT_TRUE(outcome.requestSucceeded) << "error " << outcome.lastError;
  EXPECT_EQ(outcome.lastError, 0u);
  EXPECT_EQ(fromBackend.DeviceType, static_cast<uint32_t>(FILE_DEVICE_DISK));
  EXPECT_EQ(fromBackend.DeviceNumber, 0u);
  EXPECT_EQ(fromBackend.PartitionNumber, 0u);

  StorageDeviceNumber fromTransport;
  ASSERT_EQ(QueryDeviceNumber(kFirstDisk, &fromTransport), 1);
  EXPECT_EQ(fromTransport.DeviceType, static_cast<uint32_t>(FILE_DEVICE_DISK));
  EXPECT_EQ(fromTransport.DeviceNumber, 0u);
  EXPECT_EQ(fromTransport.PartitionNumber, 0u);
}

TEST_F(Win32DeviceNumberTest, SystemVolumeIsAPartitionOfADisk) {
  StorageDeviceNumber result;
  result.DeviceType = kUntouched32;
  result.DeviceNumber = kUntouched32;
  result.PartitionNumber = kUntouched32;
  const BackendResult outcome = ActiveScsiBackend().QueryDeviceNumber(kSystemVolume, &result);
  if (!outcome.opened)
    GTEST_SKIP() << kSystemVolume << " does not open, error " << outcome.lastError;

  ASSERT_TRUE(outcome.requestSucceeded) << "error " << outcome.lastError;
  EXPECT_EQ(result.DeviceType, static_cast<uint32_t>(FILE_DEVICE_DISK));
  EXPECT_NE(result.DeviceNumber, kUntouched32);
  EXPECT_NE(result.PartitionNumber, kUntouched32);
  EXPECT_GE(result.PartitionNumber, 1u);
}

}  // namespace
