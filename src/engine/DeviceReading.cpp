#include "engine/DeviceReading.h"

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/ChipReplies.h"
#include "IDEAccess/FamilyIds.h"

ReadingOutcome ReadDevice(const char* path, DeviceReading* reading,
                          const std::function<void()>& beforeBlockRead) {
  reading->chipCode = IdentifyChip(path);
  if (FamilyCodeOf(reading->chipCode) != kFamilyTbr640) return ReadingOutcome::kNotTbr640;

  // Only its success counts.
  uint8_t flashIndex[kFlashIndexLength] = {};
  if (!ReadFlashIndex(path, flashIndex)) return ReadingOutcome::kNoFlashIndex;

  uint8_t* info = reading->chipInfo.data();
  reading->chipInfo.fill(0);
  uint32_t transferred = 0;
  if (!GetChipInfo(path, info, kChipInfoLength, &transferred) ||
      !chip_info_reply::HasSignature(info)) {
    return ReadingOutcome::kNoChipInfo;
  }
  if (info[kChipInfoRunningFirmware] == 0) return ReadingOutcome::kInternalCode;

  if (beforeBlockRead) beforeBlockRead();

  reading->block = ConfigBlock{};
  WaitBridgeReady(path);  // a bridge that stays busy is read all the same
  if (!ReadConfigBlock(path, reading->block.bytes.data())) return ReadingOutcome::kNoConfigBlock;
  return ReadingOutcome::kRead;
}
