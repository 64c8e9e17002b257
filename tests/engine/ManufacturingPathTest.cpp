// The manufacturing path, for a chip that runs its internal code, with a ROM
// only a test can supply: ROM, 2000 ms, up to three tries of switch, 500 ms,
// descriptor and image, and what ends a try or the whole path.

#include <gtest/gtest.h>

#include <cstring>

#include "IDEAccess/FirmwareImage.h"
#include "engine/FirmwareDownload.h"
#include "support/FakeResources.h"
#include "support/UpdateFixture.h"

namespace {

using Sleeps = std::vector<uint32_t>;

class ManufacturingPathTest : public UpdateFixture {
 protected:
  ManufacturingPathTest() : UpdateFixture(&resources) {
    resources.Add(kFirmwareResourceName, Bytes(image, image + kFirmwareImageSize));
    resources.Add(kMfgRomClearName, Bytes(kMfgRomImageSize, 0xA5));
    resources.Add(kMfgRomSetName, Bytes(kMfgRomImageSize, 0x5A));
    chip.SetRunningInternalCode(true);
  }
  bool Download(bool romSelect) {
    return DownloadFirmware(kUsbPath, 0, image, kMfgImageLength, true, romSelect);
  }
  // The switch reaches the chip, which reports a failure all the same.
  void SwitchReportsFailure() {
    chip.faults().FailEvery(CommandKind::kWriteBridgeMemory);
    chip.faults().style = FailureStyle::kShortData;
  }
  size_t Count(CommandKind kind) const { return machine.CountOf(kind); }

  FakeResources resources;
};

TEST_F(ManufacturingPathTest, UpdateLoadsTheRomSwitchesAndSendsTheImage) {
  ASSERT_TRUE(UpdateFirmware(kUsbPath));
  const auto& trace = machine.trace();
  ASSERT_EQ(5u + 49 + 1 + 49, trace.size());
  EXPECT_EQ(kDescriptorCdb, trace[1].cdb);
  EXPECT_EQ(BufferCdb(0x3B, 0x06, 0, 0xC400), trace[2].cdb);
  EXPECT_EQ(kSwitchCdb, trace[3].cdb);
  EXPECT_EQ(100u, trace[3].timeoutSeconds);
  EXPECT_EQ(kDescriptorCdb, trace[4].cdb);
  EXPECT_EQ(WritePieceCdb(0), trace[5].cdb);
  EXPECT_EQ((Sleeps{2000, 500}), shell.sleeps);
  EXPECT_EQ(kMfgRomClearName, resources.lookups.back()) << "the update passes romSelect clear";
  EXPECT_EQ(0, std::memcmp(chip.downloadBuffer() + 0x400, image + 0x400, 0xC000));
}

TEST_F(ManufacturingPathTest, WrongDescriptorRomSizeOrFailedRomSendNothingFurther) {
  chip.SetDescriptor(0xFF, 0xC600);
  EXPECT_FALSE(Download(false));
  chip.SetDescriptor(0x0A, 0xC400);
  EXPECT_FALSE(Download(false));
  EXPECT_EQ(2u, machine.trace().size());

  chip.SetRunningInternalCode(true);
  resources.Add(kMfgRomClearName, Bytes(kMfgRomImageSize + 1, 0xA5));
  EXPECT_FALSE(Download(false));
  EXPECT_EQ(0u, Count(CommandKind::kWriteBufferRom));

  resources.Add(kMfgRomClearName, Bytes(kMfgRomImageSize, 0xA5));
  chip.faults().FailEvery(CommandKind::kWriteBufferRom);
  EXPECT_FALSE(Download(false));
  EXPECT_EQ(0u, Count(CommandKind::kWriteBridgeMemory));
  EXPECT_TRUE(shell.sleeps.empty());
}

TEST_F(ManufacturingPathTest, FailedSwitchIsPassedOverWithRomSelectClear) {
  SwitchReportsFailure();
  EXPECT_TRUE(Download(false));
  EXPECT_EQ(49u, Count(CommandKind::kWriteBufferData));
  EXPECT_EQ((Sleeps{2000, 500}), shell.sleeps);
}

TEST_F(ManufacturingPathTest, FailedSwitchEndsTheDownloadWithRomSelectSet) {
  SwitchReportsFailure();
  EXPECT_FALSE(Download(true));
  EXPECT_EQ(CommandKind::kWriteBridgeMemory, Kinds().back());
  EXPECT_EQ((Sleeps{2000}), shell.sleeps);
  EXPECT_EQ(kMfgRomSetName, resources.lookups.back());
}

TEST_F(ManufacturingPathTest, FailedPieceMakesTheNextTrySwitchWaitRereadAndResendFromZero) {
  chip.faults().failCommandNumber = 7;  // descriptor, ROM, switch, descriptor, then the third piece
  EXPECT_TRUE(Download(false));
  const auto& trace = machine.trace();
  ASSERT_GE(trace.size(), 11u);
  EXPECT_FALSE(trace[6].ok());
  EXPECT_EQ(CommandKind::kRequestSense, trace[7].kind);
  EXPECT_EQ(kSwitchCdb, trace[8].cdb);
  EXPECT_EQ(kDescriptorCdb, trace[9].cdb);
  EXPECT_EQ(WritePieceCdb(0), trace[10].cdb);
  EXPECT_EQ(3u + 49u, Count(CommandKind::kWriteBufferData));
  EXPECT_EQ(1u, Count(CommandKind::kWriteBufferRom)) << "the ROM goes once";
  EXPECT_EQ((Sleeps{2000, 500, 500}), shell.sleeps);
}

TEST_F(ManufacturingPathTest, ThreeTriesAtMost) {
  chip.faults().FailEvery(CommandKind::kWriteBufferData);
  EXPECT_FALSE(Download(false));
  EXPECT_EQ(3u, Count(CommandKind::kWriteBridgeMemory));
  EXPECT_EQ(3u, Count(CommandKind::kWriteBufferData));
  EXPECT_EQ((Sleeps{2000, 500, 500, 500}), shell.sleeps);
}

TEST_F(ManufacturingPathTest, DescriptorAfterTheSwitchMustShowTheFirmware) {
  chip.faults().ignoreBufferWrites = true;  // no ROM arrives, so the switch changes nothing
  EXPECT_FALSE(Download(false));
  EXPECT_EQ(1u, Count(CommandKind::kWriteBridgeMemory)) << "no further try";
  EXPECT_EQ(0u, Count(CommandKind::kWriteBufferData));
}

}  // namespace
