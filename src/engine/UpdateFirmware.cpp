#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/FirmwareImage.h"
#include "IDEAccess/PaddedBuffer.h"
#include "engine/FirmwareDownload.h"
#include "engine/WriteGuard.h"

namespace {

constexpr size_t kChipInfoRunningFirmware = 6;  // 0: the chip runs its internal code

// Offsets 0x200-0x3FF hold the chip's own header after the download, and the
// configuration block from 0xC400 on is not part of the firmware: neither is
// compared.
bool VerifiedRangeEqual(const uint8_t* image, const uint8_t* readBack) {
  if (std::memcmp(image, readBack, kImageChipHeaderOffset) != 0) return false;
  return std::memcmp(image + kImageChipHeaderEnd, readBack + kImageChipHeaderEnd,
                     kImageConfigBlockOffset - kImageChipHeaderEnd) == 0;
}

}  // namespace

bool UpdateFirmware(const char* devicePath, UpdateObserver* observer) {
  // The front ends ask first and say why; this stops any that did not.
  if (FirmwareWriteRefusal() != nullptr) return false;
  PaddedBlock image(kFirmwareImageSize);
  PaddedBlock readBack(kFirmwareImageSize);
  PaddedBlock chipInfo(kChipInfoLength);
  if (!image.ok() || !readBack.ok() || !chipInfo.ok()) return false;

  const int32_t loaded = LoadFirmwareImage(image.data(), image.size(), 0, 0);
  if (loaded != static_cast<int32_t>(kFirmwareImageSize)) return false;

  uint32_t transferred = 0;
  if (!GetChipInfo(devicePath, chipInfo.data(), kChipInfoLength, &transferred)) return false;
  if (observer != nullptr &&
      !observer->AcceptChip(chipInfo.data(), static_cast<uint32_t>(kChipInfoLength)))
    return false;
  // Decided once, for both attempts.
  const bool mfgPath = chipInfo.data()[kChipInfoRunningFirmware] == 0;

  for (int attempt = 0; attempt < kUpdateAttempts; ++attempt) {
    if (!DownloadFirmware(devicePath, 0, image.data(), kMfgImageLength, mfgPath, false, observer)) {
      continue;
    }
    if (!ReadBackFirmware(devicePath, 0, readBack.data(), kFirmwareImageSize, observer)) continue;
    if (VerifiedRangeEqual(image.data(), readBack.data())) return true;
  }
  return false;
}
