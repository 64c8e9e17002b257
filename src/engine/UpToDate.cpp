#include "engine/UpToDate.h"

#include <algorithm>

bool IsUpToDate(const uint8_t* chipFirmwareVersion, const ConfigBlock& block) {
  // The version first; the block's texts only when it matches.
  return std::equal(TargetFirmwareVersion.begin(), TargetFirmwareVersion.end(),
                    chipFirmwareVersion) &&
         ConfigBlockIsUpToDate(block);
}
