// A whole update on the virtual enclosure, as the window runs it: firmware,
// configuration block, re-attachment. Afterwards the chip is up to date.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "embedded/FirmwareImageDigest.h"
#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"
#include "support/UpdateFixture.h"

namespace {

using Version = std::array<uint8_t, 4>;

class UpdateEndToEndTest : public UpdateFixture {
 protected:
  // The virtual chip takes its new version from the image, where the stand-in
  // keeps the target version.
  UpdateEndToEndTest() { std::memcpy(imageVersion.data(), image + kImageVersionOffset, 4); }

  Version Reported() {
    uint8_t info[16] = {};
    uint32_t transferred = 0;
    EXPECT_EQ(1, GetChipInfo(kUsbPath, info, 16, &transferred));
    Version version{};
    std::memcpy(version.data(), info + 12, 4);
    return version;
  }
  bool BlockUpToDate() {
    ConfigBlock block;
    if (!ReadBridgeMemory(kUsbPath, ConfigBlockAddress, block.bytes.data(), 512)) return false;
    return ConfigBlockIsUpToDate(block);
  }

  Version imageVersion{};
};

TEST_F(UpdateEndToEndTest, OutdatedEnclosureIsUpToDateAfterUpdatePatchAndPowerCycle) {
  if (kFirmwareImageIsStandIn) {
    EXPECT_EQ(TargetFirmwareVersion, imageVersion);
  }
  ASSERT_EQ((Version{21, 32, 0, 1}), Reported());
  ASSERT_FALSE(BlockUpToDate());
  machine.ClearTrace();

  ASSERT_TRUE(UpdateFirmware(kUsbPath));
  ASSERT_TRUE(PatchConfigBlock(kUsbPath));
  EXPECT_EQ(104u, machine.trace().size());
  EXPECT_EQ((Version{21, 32, 0, 1}), Reported()) << "nothing is activated before the restart";

  chip.PowerCycle();
  EXPECT_EQ(imageVersion, Reported());
  EXPECT_TRUE(BlockUpToDate());
}

}  // namespace
