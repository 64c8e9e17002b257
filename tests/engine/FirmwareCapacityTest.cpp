// Whatever capacity the chip's descriptor reports, no piece reaches past the
// image or the read-back buffer: the download sends at most the image, the
// read-back reads at most its buffer, the last piece shorter when fewer than
// 1024 bytes remain. And how ReadBackFirmware fills `dest`.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/FirmwareDownload.h"
#include "support/UpdateFixture.h"

namespace {

struct CapacityCase {
  uint32_t capacity;
  bool updated;
  uint32_t bytes;     // written, and read back, per attempt
  uint32_t attempts;  // attempts that wrote
};

class FirmwareCapacityTest : public UpdateFixture,
                             public ::testing::WithParamInterface<CapacityCase> {};

// `attempts` runs of pieces covering [0, bytes), 1024 at a time.
std::vector<Bytes> Pieces(uint8_t opcode, uint8_t mode, uint32_t bytes, uint32_t attempts) {
  std::vector<Bytes> cdbs;
  for (uint32_t run = 0; run < attempts; ++run) {
    for (uint32_t at = 0; at < bytes; at += 1024) {
      cdbs.push_back(BufferCdb(opcode, mode, at, std::min(1024u, bytes - at)));
    }
  }
  return cdbs;
}

std::vector<Bytes> Cdbs(const std::vector<TraceEntry>& entries) {
  std::vector<Bytes> cdbs(entries.size());
  std::transform(entries.begin(), entries.end(), cdbs.begin(),
                 [](const TraceEntry& entry) { return entry.cdb; });
  return cdbs;
}

TEST_P(FirmwareCapacityTest, PiecesStayInsideTheImageAndTheReadBackBuffer) {
  const CapacityCase& c = GetParam();
  chip.SetDescriptor(0x0A, c.capacity);
  EXPECT_EQ(c.updated, UpdateFirmware(kUsbPath));
  EXPECT_EQ(Pieces(0x3B, 0x0E, c.bytes, c.attempts), Cdbs(Only(CommandKind::kWriteBufferData)));
  EXPECT_EQ(Pieces(0x3C, 0x01, c.bytes, c.attempts), Cdbs(Only(CommandKind::kReadBufferData)));
  // The image's own bytes went out, the configuration block included.
  if (c.bytes > 0x400) {
    EXPECT_EQ(0, std::memcmp(chip.downloadBuffer() + 0x400, image + 0x400, c.bytes - 0x400));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Capacities, FirmwareCapacityTest,
    ::testing::Values(CapacityCase{0, false, 0, 0},           // nothing to send
                      CapacityCase{0x200, false, 0x200, 2},   // half a piece: the rest is missing
                      CapacityCase{0xC400, true, 0xC400, 1},  //
                      CapacityCase{0xC600, true, 0xC600, 1},  // the block as a shorter last piece
                      CapacityCase{0xC601, true, 0xC600, 1},  // more than the image: the image
                      CapacityCase{0xFFFFFF, true, 0xC600, 1}));

class ReadBackTest : public UpdateFixture {
 protected:
  ReadBackTest() {
    for (uint32_t i = 0; i < 0xC600; ++i)
      chip.downloadBuffer()[i] = static_cast<uint8_t>(i * 3 + 1);
  }
  bool ReadBack() { return ReadBackFirmware(kUsbPath, 0, dest.data(), 0xC600); }
  Bytes dest = Bytes(0xC600, 0xEE);
};

TEST_F(ReadBackTest, FailingPieceLeavesWhatWasReadAndZerosAfter) {
  chip.faults().failCommandNumber = 4;  // the third piece; half of it arrives
  chip.faults().style = FailureStyle::kShortData;
  EXPECT_FALSE(ReadBack());
  EXPECT_EQ(3u, Only(CommandKind::kReadBufferData).size()) << "it stops at the failed piece";
  EXPECT_EQ(0, std::memcmp(dest.data(), chip.downloadBuffer(), 0xA00));
  EXPECT_EQ(Bytes(0xC600 - 0xA00, 0), Bytes(dest.begin() + 0xA00, dest.end()));
}

TEST_F(ReadBackTest, RefusedDescriptorLeavesDestAloneAndCapacityZeroClearsIt) {
  chip.SetDescriptor(0xFF, 0xC400);
  EXPECT_FALSE(ReadBack());
  EXPECT_EQ(Bytes(0xC600, 0xEE), dest);
  chip.SetDescriptor(0x0A, 0);
  EXPECT_FALSE(ReadBack());
  EXPECT_EQ(Bytes(0xC600, 0), dest);
}

}  // namespace
