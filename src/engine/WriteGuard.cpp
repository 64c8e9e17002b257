#include "engine/WriteGuard.h"

#include <atomic>
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

namespace {

// Given once at the program's start, read by every update's threads.
std::atomic<bool> standInSwitchOn{false};

}  // namespace

const char* StandInSwitchVariable() {
  return kFirmwareImageIsStandIn ? kStandInTestSwitch : nullptr;
}

void SetStandInSwitch(const char* value) {
  standInSwitchOn = value != nullptr && std::strcmp(value, "1") == 0;
}

const Refusal* FirmwareWriteRefusal() {
  // A customer build writes wherever it is asked to.
  if (!kFirmwareImageIsStandIn) return nullptr;
  return FirmwareWriteRefusalFor(true, ActiveScsiBackend().reach(),
                                 standInSwitchOn ? "1" : nullptr);
}
