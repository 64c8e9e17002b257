#include "engine/WriteGuard.h"

#include <cstdlib>
#include <cstring>

#include "embedded/FirmwareImageDigest.h"
#include "engine/ConfigBlock.h"
#include "engine/Refusals.h"
#include "seams/Seams.h"

static_assert(kFirmwareImageVersion[0] == TargetFirmwareVersion[0] &&
                  kFirmwareImageVersion[1] == TargetFirmwareVersion[1] &&
                  kFirmwareImageVersion[2] == TargetFirmwareVersion[2] &&
                  kFirmwareImageVersion[3] == TargetFirmwareVersion[3],
              "the build names the image by the version the update installs");

const Refusal* FirmwareWriteRefusalFor(bool imageIsStandIn, DeviceReach reach,
                                       const char* testSwitch) {
  if (!imageIsStandIn || reach == DeviceReach::kVirtual) return nullptr;
  if (testSwitch != nullptr && std::strcmp(testSwitch, "1") == 0) return nullptr;
  return &kStandInRefusal;
}

const Refusal* FirmwareWriteRefusal() {
  // A customer build never looks at the environment.
  if (!kFirmwareImageIsStandIn) return nullptr;
  return FirmwareWriteRefusalFor(true, ActiveScsiBackend().reach(),
                                 std::getenv(kStandInTestSwitch));
}
