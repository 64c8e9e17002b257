// UpdateFirmware against the virtual TBR640: the exact commands of a normal
// update, what it refuses before sending anything, which read-back differences
// count, the two attempts and the progress it reports.

#include <gtest/gtest.h>

#include <cstring>

#include "IDEAccess/FirmwareImage.h"
#include "engine/FirmwareDownload.h"
#include "support/FakeResources.h"
#include "support/UpdateFixture.h"

namespace {

class FirmwareUpdateTest : public UpdateFixture {
 protected:
  // The read-back flips the byte at `offset` on its first `passes` reads
  // (0: always).
  void FlipOnReadBack(uint32_t offset, uint32_t passes) {
    chip.faults().flipReadBack = true;
    chip.faults().flipOffset = offset;
    chip.faults().flipReadBackPasses = passes;
    chip.PowerCycle();  // restarts the count of passes
    machine.ClearTrace();
  }
  size_t Count(CommandKind kind) const { return machine.CountOf(kind); }
};

TEST_F(FirmwareUpdateTest, NormalUpdateSendsExactlyTheDownloadAndTheReadBack) {
  ASSERT_TRUE(UpdateFirmware(kUsbPath));
  const auto& trace = machine.trace();
  ASSERT_EQ(101u, trace.size());
  EXPECT_EQ((Bytes{0xE0, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0}), trace[0].cdb);
  EXPECT_EQ(16u, trace[0].length);
  EXPECT_EQ(kDescriptorCdb, trace[1].cdb);
  EXPECT_EQ(kDescriptorCdb, trace[51].cdb);
  for (uint32_t n = 0; n < 49; ++n) {
    EXPECT_EQ(WritePieceCdb(n * 1024), trace[2 + n].cdb) << "piece " << n;
    EXPECT_EQ(BufferCdb(0x3C, 0x01, n * 1024, 1024), trace[52 + n].cdb) << "piece " << n;
  }
  for (const TraceEntry& entry : trace) EXPECT_TRUE(entry.ok());
  EXPECT_TRUE(shell.sleeps.empty());

  // What landed is the image over the verified range; 0x200-0x3FF holds the
  // chip's own header.
  const uint8_t* landed = chip.downloadBuffer();
  EXPECT_EQ(0, std::memcmp(landed, image, 0x200));
  EXPECT_NE(0, std::memcmp(landed + 0x200, image + 0x200, 0x200));
  EXPECT_EQ(0, std::memcmp(landed + 0x400, image + 0x400, 0xC000));
  EXPECT_EQ(0xC400u, chip.downloadedBytes());
}

TEST_F(FirmwareUpdateTest, MissingWrongSizeOrUnmappedImageSendsNothing) {
  FakeResources resources;
  ScopedSeams installed(SeamsWith(&resources));
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  for (const uint32_t size : {0xC5FFu, 0xC601u, 0xC400u}) {
    resources.Add(kFirmwareResourceName, Bytes(size, 0x5A));
    EXPECT_FALSE(UpdateFirmware(kUsbPath)) << "size " << size;
  }
  resources.AddUnmapped(kFirmwareResourceName, kFirmwareImageSize);
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  EXPECT_TRUE(machine.trace().empty());
}

TEST_F(FirmwareUpdateTest, FailingChipInformationWritesNothing) {
  chip.faults().FailEvery(CommandKind::kGetChipInfo);
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  EXPECT_EQ(std::vector<CommandKind>{CommandKind::kGetChipInfo}, Kinds());
}

TEST_F(FirmwareUpdateTest, DifferencesOutsideTheVerifiedRangeDoNotCount) {
  chip.SetDescriptor(0x0A, 0xC600);  // the read-back then covers 0xC400-0xC5FF too
  for (const uint32_t offset : {0x200u, 0x3FFu, 0xC400u, 0xC5FFu}) {
    FlipOnReadBack(offset, 0);
    EXPECT_TRUE(UpdateFirmware(kUsbPath)) << offset;
    EXPECT_EQ(2u, Count(CommandKind::kReadBufferDescriptor)) << "one attempt";
  }
}

TEST_F(FirmwareUpdateTest, DifferenceAtTheEdgeOfTheVerifiedRangeFailsThatAttempt) {
  for (const uint32_t offset : {0x1FFu, 0x400u, 0xC3FFu}) {
    FlipOnReadBack(offset, 1);
    EXPECT_TRUE(UpdateFirmware(kUsbPath)) << offset;
    EXPECT_EQ(98u, Count(CommandKind::kWriteBufferData)) << "the second attempt ran";
  }
}

TEST_F(FirmwareUpdateTest, BothAttemptsFailAndThereIsNoThird) {
  FlipOnReadBack(0x400, 0);
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  EXPECT_EQ(1u, Count(CommandKind::kGetChipInfo));
  EXPECT_EQ(4u, Count(CommandKind::kReadBufferDescriptor));
  EXPECT_EQ(98u, Count(CommandKind::kWriteBufferData));
  EXPECT_EQ(98u, Count(CommandKind::kReadBufferData));
  EXPECT_TRUE(shell.sleeps.empty()) << "the second attempt follows at once";

  chip.faults().flipReadBack = false;
  chip.faults().FailEvery(CommandKind::kReadBufferData);
  machine.ClearTrace();
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  EXPECT_EQ(2u, Count(CommandKind::kReadBufferData)) << "a failed piece ends the read-back";
}

TEST_F(FirmwareUpdateTest, FailedPieceEndsTheAttemptAndTheNextStartsFromOffsetZero) {
  chip.faults().failCommandNumber = 12;  // the tenth piece, after GetChipInfo and descriptor
  EXPECT_TRUE(UpdateFirmware(kUsbPath));
  const auto writes = Only(CommandKind::kWriteBufferData);
  ASSERT_EQ(10u + 49u, writes.size());
  EXPECT_FALSE(writes[9].ok());
  EXPECT_EQ(WritePieceCdb(0), writes[10].cdb);
  EXPECT_EQ(49u, Count(CommandKind::kReadBufferData)) << "no read-back after a failed write";
}

TEST_F(FirmwareUpdateTest, DescriptorNotShowingTheFirmwareOrInternalCodeWithoutRomStops) {
  const std::vector<CommandKind> stopped = {CommandKind::kGetChipInfo,
                                            CommandKind::kReadBufferDescriptor,
                                            CommandKind::kReadBufferDescriptor};
  for (const uint8_t boundary : {0x09, 0x0B, 0xFF}) {
    chip.SetDescriptor(boundary, 0xC400);
    machine.ClearTrace();
    EXPECT_FALSE(UpdateFirmware(kUsbPath));
    EXPECT_EQ(stopped, Kinds()) << int{boundary};
  }
  // Internal code: descriptor 0xFF with 0xC400, stopped by the missing ROM.
  chip.SetRunningInternalCode(true);
  machine.ClearTrace();
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  EXPECT_EQ(stopped, Kinds());
  // Byte 6 zero with the firmware's descriptor: the manufacturing path refuses it.
  chip.SetRunningInternalCode(false);
  chip.identity().chipInfo[6] = 0;
  machine.ClearTrace();
  EXPECT_FALSE(UpdateFirmware(kUsbPath));
  EXPECT_EQ(stopped, Kinds());
  EXPECT_EQ(0u, chip.downloadPieces());
}

class RecordingObserver final : public UpdateObserver {
 public:
  void OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) override {
    reports.push_back({static_cast<uint32_t>(phase), done, total});
  }
  std::vector<std::vector<uint32_t>> reports;
};

// Runs of 0..49 of 49, phase by phase.
std::vector<std::vector<uint32_t>> Runs(std::initializer_list<UpdatePhase> phases) {
  std::vector<std::vector<uint32_t>> runs;
  for (const UpdatePhase phase : phases) {
    for (uint32_t done = 0; done <= 49; ++done)
      runs.push_back({static_cast<uint32_t>(phase), done, 49});
  }
  return runs;
}

TEST_F(FirmwareUpdateTest, ProgressCountsPiecesWrittenThenReadBackAndStartsOverPerAttempt) {
  RecordingObserver observer;
  ASSERT_TRUE(UpdateFirmware(kUsbPath, &observer));
  EXPECT_EQ(Runs({UpdatePhase::kWriting, UpdatePhase::kVerifying}), observer.reports);

  FlipOnReadBack(0x400, 1);
  observer.reports.clear();
  ASSERT_TRUE(UpdateFirmware(kUsbPath, &observer));
  EXPECT_EQ(Runs({UpdatePhase::kWriting, UpdatePhase::kVerifying, UpdatePhase::kWriting,
                  UpdatePhase::kVerifying}),
            observer.reports);
}

}  // namespace
