// The translation between the pass-through record and the SG_IO header, both
// ways, on records the transport really builds. No device is involved: the
// backends below stand in for the ioctl.

#include <gtest/gtest.h>
#include <scsi/sg.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "IDEAccess/PassThroughRecord.h"
#include "IDEAccess/ScsiTransport.h"
#include "platform/linux/SgIoBackend.h"
#include "seams/Seams.h"

namespace {

// Keeps what BuildSgIoHeader made of the record the transport handed down.
class HeaderCapturingBackend final : public ScsiBackend {
 public:
  BackendResult Execute(const ScsiRequest& request) override {
    ++calls;
    BuildSgIoHeader(request, sense_.data(), sense_.size(), &hdr);
    // cmdp points into the transport's record, which is gone after the call.
    cdb.assign(hdr.cmdp, hdr.cmdp + hdr.cmd_len);
    data = request.data;
    senseBuffer = sense_.data();
    BackendResult result;
    result.opened = true;
    result.requestSucceeded = true;
    return result;
  }
  BackendResult QueryDeviceNumber(const char*, StorageDeviceNumber*) override { return {}; }

  int calls = 0;
  sg_io_hdr_t hdr{};
  std::vector<uint8_t> cdb;
  const uint8_t* data = nullptr;
  const uint8_t* senseBuffer = nullptr;

 private:
  std::array<uint8_t, sgio::kSenseSize> sense_{};
};

// What the kernel answers to one SG_IO call.
struct KernelReply {
  int ioctlResult = 0;
  int ioctlErrno = 0;
  uint8_t status = 0;
  uint16_t hostStatus = 0;
  uint16_t driverStatus = 0;
  int resid = 0;
};

constexpr uint8_t kDeviceByte = 0x5A;

// Plays the kernel's part: moves dxfer_len - resid bytes from the "device",
// fills in the reply, and hands the header to ApplySgIoOutcome.
class ScriptedKernelBackend final : public ScsiBackend {
 public:
  explicit ScriptedKernelBackend(const KernelReply& reply) : reply_(reply) {}

  BackendResult Execute(const ScsiRequest& request) override {
    std::array<uint8_t, sgio::kSenseSize> sense{};
    sg_io_hdr_t hdr;
    BuildSgIoHeader(request, sense.data(), sense.size(), &hdr);
    if (reply_.ioctlResult == 0) {
      int moved = static_cast<int>(hdr.dxfer_len) - reply_.resid;
      if (moved < 0) moved = 0;
      if (moved > static_cast<int>(hdr.dxfer_len)) moved = static_cast<int>(hdr.dxfer_len);
      if (hdr.dxfer_direction == SG_DXFER_FROM_DEV && moved > 0) {
        std::memset(hdr.dxferp, kDeviceByte, static_cast<size_t>(moved));
      }
      hdr.status = reply_.status;
      hdr.host_status = reply_.hostStatus;
      hdr.driver_status = reply_.driverStatus;
      hdr.resid = reply_.resid;
    }
    last = ApplySgIoOutcome(hdr, reply_.ioctlResult, reply_.ioctlErrno, request.record);
    statusInRecord = request.record[ptr::kScsiStatus];
    return last;
  }
  BackendResult QueryDeviceNumber(const char*, StorageDeviceNumber*) override { return {}; }

  BackendResult last;
  uint8_t statusInRecord = 0xFF;

 private:
  KernelReply reply_;
};

const uint8_t kReadCdb[12] = {0xA1, 0x08, 0x0E, 0x00, 0x01, 0x00,
                              0x00, 0x00, 0x00, 0xEC, 0x00, 0x00};
const uint8_t kWriteCdb[10] = {0x3B, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00};
const uint8_t kLongWriteCdb[10] = {0x3B, 0x05, 0x13, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00};

constexpr char kPath[] = "/dev/sdz";

// --- Record to header -------------------------------------------------------

TEST(SgIoHeader, DataInCommandReadsFromTheDevice) {
  HeaderCapturingBackend backend;
  ScopedSeams guard(Seams{&backend, nullptr});
  std::array<uint8_t, 512> buffer{};
  uint32_t transferred = 0;

  ScsiDataIn(kPath, kReadCdb, sizeof(kReadCdb), buffer.data(), 512, &transferred);

  ASSERT_EQ(backend.calls, 1);
  const sg_io_hdr_t& hdr = backend.hdr;
  EXPECT_EQ(hdr.interface_id, 'S');
  EXPECT_EQ(hdr.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(hdr.cmd_len, 12);
  EXPECT_EQ(backend.cdb, std::vector<uint8_t>(std::begin(kReadCdb), std::end(kReadCdb)));
  EXPECT_EQ(hdr.dxfer_len, 512u);
  EXPECT_NE(backend.data, nullptr);
  EXPECT_EQ(hdr.dxferp, backend.data);
  EXPECT_EQ(hdr.timeout, 10000u);
  EXPECT_EQ(hdr.mx_sb_len, sgio::kSenseSize);
  EXPECT_EQ(hdr.sbp, backend.senseBuffer);
  EXPECT_EQ(hdr.iovec_count, 0);
  EXPECT_EQ(hdr.flags, 0u);
}

TEST(SgIoHeader, DataOutCommandWritesToTheDevice) {
  HeaderCapturingBackend backend;
  ScopedSeams guard(Seams{&backend, nullptr});
  std::array<uint8_t, 4096> buffer{};
  buffer.fill(0x11);

  ScsiDataOut(kPath, kWriteCdb, sizeof(kWriteCdb), buffer.data(), 4096, nullptr);

  ASSERT_EQ(backend.calls, 1);
  EXPECT_EQ(backend.hdr.dxfer_direction, SG_DXFER_TO_DEV);
  EXPECT_EQ(backend.hdr.cmd_len, 10);
  EXPECT_EQ(backend.cdb, std::vector<uint8_t>(std::begin(kWriteCdb), std::end(kWriteCdb)));
  EXPECT_EQ(backend.hdr.dxfer_len, 4096u);
  ASSERT_NE(backend.data, nullptr);
  EXPECT_EQ(backend.hdr.dxferp, backend.data);
  EXPECT_EQ(backend.hdr.timeout, 50000u);
}

TEST(SgIoHeader, TimeoutsBecomeMilliseconds) {
  HeaderCapturingBackend backend;
  ScopedSeams guard(Seams{&backend, nullptr});
  std::array<uint8_t, 16> buffer{};

  ScsiDataOut(kPath, kLongWriteCdb, sizeof(kLongWriteCdb), buffer.data(), 16, nullptr);
  EXPECT_EQ(backend.hdr.timeout, 100000u);

  ScsiDataIn(kPath, kReadCdb, sizeof(kReadCdb), buffer.data(), 16, nullptr);
  EXPECT_EQ(backend.hdr.timeout, 10000u);
  EXPECT_EQ(backend.calls, 2);
}

TEST(SgIoHeader, NoDataMeansNoTransferInEitherDirection) {
  HeaderCapturingBackend backend;
  ScopedSeams guard(Seams{&backend, nullptr});

  ScsiDataIn(kPath, kReadCdb, sizeof(kReadCdb), nullptr, 0, nullptr);
  EXPECT_EQ(backend.hdr.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(backend.hdr.dxfer_len, 0u);
  EXPECT_EQ(backend.hdr.dxferp, nullptr);

  ScsiDataOut(kPath, kWriteCdb, sizeof(kWriteCdb), nullptr, 0, nullptr);
  EXPECT_EQ(backend.hdr.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(backend.hdr.dxfer_len, 0u);
  EXPECT_EQ(backend.calls, 2);
}

// Records the transport never builds must still not lead the kernel astray.
TEST(SgIoHeader, OutOfRangeRecordFieldsAreBounded) {
  std::array<uint8_t, ptr::kStorageSize> record{};
  record[ptr::kCdbLength] = 40;
  ptr::Put32(record.data(), ptr::kTimeOutValue, 0xFFFFFFFFu);
  ScsiRequest request;
  request.path = kPath;
  request.record = record.data();
  std::array<uint8_t, 300> sense{};
  sg_io_hdr_t hdr;

  BuildSgIoHeader(request, sense.data(), sense.size(), &hdr);

  EXPECT_EQ(hdr.cmd_len, ptr::kCdbCapacity);
  EXPECT_EQ(hdr.mx_sb_len, 255);
  // UINT_MAX would mean "wait for ever".
  EXPECT_EQ(hdr.timeout, UINT_MAX - 1u);
}

// --- Header to record -------------------------------------------------------

struct TransferOutcome {
  int returned = -1;
  uint32_t transferred = 0xDEADBEEF;
  std::array<uint8_t, 512> buffer{};
  BackendResult backendResult;
  uint8_t statusInRecord = 0xFF;
};

TransferOutcome ReadThroughTransport(const KernelReply& reply) {
  ScriptedKernelBackend backend(reply);
  ScopedSeams guard(Seams{&backend, nullptr});
  TransferOutcome outcome;
  outcome.buffer.fill(0xEE);
  outcome.returned = ScsiDataIn(kPath, kReadCdb, sizeof(kReadCdb), outcome.buffer.data(), 512,
                                &outcome.transferred);
  outcome.backendResult = backend.last;
  outcome.statusInRecord = backend.statusInRecord;
  return outcome;
}

TEST(SgIoOutcome, CompletedCommandSucceedsWithEveryByte) {
  const TransferOutcome outcome = ReadThroughTransport(KernelReply{});

  EXPECT_EQ(outcome.returned, 1);
  EXPECT_EQ(outcome.transferred, 512u);
  EXPECT_TRUE(outcome.backendResult.opened);
  EXPECT_TRUE(outcome.backendResult.requestSucceeded);
  EXPECT_EQ(outcome.backendResult.lastError, 0u);
  EXPECT_EQ(outcome.buffer.front(), kDeviceByte);
  EXPECT_EQ(outcome.buffer.back(), kDeviceByte);
}

TEST(SgIoOutcome, CheckConditionStatusGoesIntoTheRecord) {
  KernelReply reply;
  reply.status = 2;
  reply.driverStatus = 0x08;  // sense delivered with the status
  const TransferOutcome outcome = ReadThroughTransport(reply);

  EXPECT_EQ(outcome.statusInRecord, 2);
  // The call itself worked; only the status makes the command fail.
  EXPECT_TRUE(outcome.backendResult.requestSucceeded);
  EXPECT_EQ(outcome.backendResult.lastError, 0u);
  EXPECT_EQ(outcome.returned, 0);
}

TEST(SgIoOutcome, AdapterOrDriverFailureFailsDespiteGoodStatus) {
  KernelReply hostTimedOut;
  hostTimedOut.hostStatus = 0x03;
  KernelReply noConnection;
  noConnection.hostStatus = 0x01;
  KernelReply driverTimedOut;
  driverTimedOut.driverStatus = 0x06;
  KernelReply driverError;
  driverError.driverStatus = 0x04;

  for (const KernelReply& reply : {hostTimedOut, noConnection, driverTimedOut, driverError}) {
    SCOPED_TRACE(testing::Message()
                 << "host_status " << reply.hostStatus << " driver_status " << reply.driverStatus);
    const TransferOutcome outcome = ReadThroughTransport(reply);
    EXPECT_EQ(outcome.statusInRecord, 0);
    EXPECT_TRUE(outcome.backendResult.requestSucceeded);
    EXPECT_EQ(outcome.backendResult.lastError, static_cast<uint32_t>(EIO));
    EXPECT_EQ(outcome.returned, 0);
  }
}

TEST(SgIoOutcome, ResidueShortensTheTransferredCount) {
  KernelReply reply;
  reply.resid = 200;
  const TransferOutcome outcome = ReadThroughTransport(reply);

  EXPECT_EQ(outcome.returned, 1);
  EXPECT_EQ(outcome.transferred, 312u);
  EXPECT_EQ(outcome.buffer[311], kDeviceByte);
  EXPECT_EQ(outcome.buffer[312], 0);
}

TEST(SgIoOutcome, FailedCallReportsErrnoAndNothingMoved) {
  KernelReply reply;
  reply.ioctlResult = -1;
  reply.ioctlErrno = EPERM;
  const TransferOutcome outcome = ReadThroughTransport(reply);

  EXPECT_TRUE(outcome.backendResult.opened);
  EXPECT_FALSE(outcome.backendResult.requestSucceeded);
  EXPECT_EQ(outcome.backendResult.lastError, static_cast<uint32_t>(EPERM));
  EXPECT_EQ(outcome.returned, 0);
  EXPECT_EQ(outcome.transferred, 0u);
}

// Directly on a record, for what the transport does not show.
class SgIoOutcomeRecord : public testing::Test {
 protected:
  void SetUp() override {
    record_.fill(0);
    ptr::Put32(record_.data(), ptr::kDataTransferLength, 512);
    hdr_.dxfer_len = 512;
  }
  uint32_t Transferred() const { return ptr::Get32(record_.data(), ptr::kDataTransferLength); }

  std::array<uint8_t, ptr::kSize> record_{};
  sg_io_hdr_t hdr_{};
};

TEST_F(SgIoOutcomeRecord, ResidueOutsideTheTransferIsClamped) {
  hdr_.resid = 600;
  ApplySgIoOutcome(hdr_, 0, 0, record_.data());
  EXPECT_EQ(Transferred(), 0u);

  hdr_.resid = -5;
  ApplySgIoOutcome(hdr_, 0, 0, record_.data());
  EXPECT_EQ(Transferred(), 512u);

  hdr_.resid = 512;
  ApplySgIoOutcome(hdr_, 0, 0, record_.data());
  EXPECT_EQ(Transferred(), 0u);
}

TEST_F(SgIoOutcomeRecord, FailedCallLeavesTheStatusAndZeroesTheCount) {
  record_[ptr::kScsiStatus] = 0;
  hdr_.status = 2;  // left over in the header: not the device's answer

  const BackendResult result = ApplySgIoOutcome(hdr_, -1, ENOTTY, record_.data());

  EXPECT_EQ(record_[ptr::kScsiStatus], 0);
  EXPECT_EQ(Transferred(), 0u);
  EXPECT_EQ(result.lastError, static_cast<uint32_t>(ENOTTY));
}

TEST_F(SgIoOutcomeRecord, OtherRecordBytesStayAsTheTransportSetThem) {
  for (size_t i = 0; i < record_.size(); ++i) record_[i] = static_cast<uint8_t>(0x80 + i);
  ptr::Put32(record_.data(), ptr::kDataTransferLength, 512);
  const std::array<uint8_t, ptr::kSize> before = record_;
  hdr_.status = 0x18;  // reservation conflict
  hdr_.resid = 12;

  ApplySgIoOutcome(hdr_, 0, 0, record_.data());

  for (size_t i = 0; i < record_.size(); ++i) {
    if (i == ptr::kScsiStatus) continue;
    if (i >= ptr::kDataTransferLength && i < ptr::kDataTransferLength + 4) continue;
    EXPECT_EQ(record_[i], before[i]) << "offset " << i;
  }
  EXPECT_EQ(record_[ptr::kScsiStatus], 0x18);
  EXPECT_EQ(Transferred(), 500u);
}

}  // namespace
