#include "engine/FirmwareDownload.h"

#include <algorithm>
#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/FirmwareImage.h"
#include "IDEAccess/PaddedBuffer.h"
#include "engine/BufferDescriptor.h"
#include "engine/PieceLoop.h"
#include "seams/Seams.h"

namespace {

constexpr uint8_t kModeMicrocodeActivate = 0x06;  // the ROM: download with offsets and activate
constexpr uint8_t kBridgeModeSwitch = 3;          // from internal code to the loaded ROM

// The chip runs its firmware: the image's first bytes, as many as the buffer
// takes.
bool DownloadNormal(const char* devicePath, uint32_t baseOffset, const uint8_t* image,
                    uint32_t capacity, UpdateObserver* observer) {
  const uint32_t bytes = DownloadSpan(capacity);
  if (bytes == 0) return false;
  PaddedBlock workingCopy(bytes);
  if (!workingCopy.ok()) return false;
  std::memcpy(workingCopy.data(), image, bytes);
  if (observer) observer->OnWritesBegin();
  return WritePieces(devicePath, baseOffset, workingCopy.data(), bytes, observer);
}

// One try after the ROM: switch, wait, reread the descriptor, send the image
// from offset 0. `fatal` is set when the whole download has to give up.
bool SwitchAndSend(const char* devicePath, uint32_t baseOffset, const uint8_t* image,
                   uint32_t length, bool romSelect, UpdateObserver* observer, bool* fatal) {
  *fatal = true;
  const bool switched = WriteBridgeMemory(devicePath, 0, nullptr, 0, kBridgeModeSwitch) != 0;
  if (!switched && romSelect) return false;
  ActiveShell().Sleep(kSwitchSettleMs);

  BufferDescriptor found;
  if (!ReadBufferDescriptor(devicePath, &found)) return false;
  if (found.boundary != descriptor::kBoundaryFirmware) return false;
  *fatal = false;

  const uint32_t bytes = DownloadSpan(found.capacity);
  if (bytes == 0) return false;
  // The image without its configuration block; anything beyond stays zero.
  PaddedBlock workingCopy(bytes);
  if (!workingCopy.ok()) return false;
  std::memcpy(workingCopy.data(), image, std::min({length, bytes, kFirmwareImageSize}));
  return WritePieces(devicePath, baseOffset, workingCopy.data(), bytes, observer);
}

// The chip runs its internal code: the manufacturing ROM first, then up to three
// tries of switch and image.
bool DownloadManufacturing(const char* devicePath, uint32_t baseOffset, const uint8_t* image,
                           uint32_t length, bool romSelect, UpdateObserver* observer) {
  {
    PaddedBlock rom(kMfgRomImageSize);
    if (!rom.ok()) return false;
    if (LoadMfgRomImage(rom.data(), rom.size(), 0, 0, romSelect) != kMfgRomImageSize) {
      return false;
    }
    if (observer) observer->OnWritesBegin();
    if (!WriteBuffer(devicePath, kDownloadBufferId, kModeMicrocodeActivate, rom.data(), baseOffset,
                     kMfgRomImageSize)) {
      return false;
    }
  }
  ActiveShell().Sleep(kRomSettleMs);
  for (int attempt = 0; attempt < kSwitchTries; ++attempt) {
    bool fatal = false;
    if (SwitchAndSend(devicePath, baseOffset, image, length, romSelect, observer, &fatal)) {
      return true;
    }
    if (fatal) return false;
  }
  return false;
}

}  // namespace

bool DownloadFirmware(const char* devicePath, uint32_t baseOffset, const uint8_t* image,
                      uint32_t length, bool mfgPath, bool romSelect, UpdateObserver* observer) {
  BufferDescriptor found;
  if (!ReadBufferDescriptor(devicePath, &found)) return false;
  if (mfgPath) {
    if (found.boundary != descriptor::kBoundaryInternalCode || found.capacity != kMfgRomImageSize) {
      return false;
    }
    return DownloadManufacturing(devicePath, baseOffset, image, length, romSelect, observer);
  }
  if (found.boundary != descriptor::kBoundaryFirmware) return false;
  return DownloadNormal(devicePath, baseOffset, image, found.capacity, observer);
}
