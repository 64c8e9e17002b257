#include <algorithm>
#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/PaddedBuffer.h"
#include "engine/BufferDescriptor.h"
#include "engine/FirmwareDownload.h"

namespace {

constexpr uint8_t kModeVendorRead = 0x01;  // the chip's read of its download buffer

}  // namespace

bool ReadBackFirmware(const char* devicePath, uint32_t baseOffset, uint8_t* dest, uint32_t size,
                      UpdateObserver* observer) {
  BufferDescriptor found;
  if (!ReadBufferDescriptor(devicePath, &found)) return false;
  if (found.boundary != descriptor::kBoundaryFirmware) return false;

  PaddedBlock received(size);
  if (!received.ok()) return false;
  const uint32_t bytes = ReadBackSpan(found.capacity, size);
  const uint32_t total = PieceCount(bytes);
  if (observer) observer->OnProgress(UpdatePhase::kVerifying, 0, total);

  bool result = false;
  uint32_t offset = 0;
  uint32_t piece = 0;
  while (offset < bytes) {
    const uint32_t length = std::min(kPieceSize, bytes - offset);
    // A failed piece still leaves in the buffer whatever the command delivered.
    // A piece cut short fails too: the zeros in place of the missing bytes
    // could match an image that holds zeros there.
    uint32_t transferred = 0;
    const auto asked = static_cast<int32_t>(length);
    if (!ReadBuffer(devicePath, kModeVendorRead, kDownloadBufferId, baseOffset + offset,
                    received.data() + offset, asked, &transferred) ||
        !ArrivedWhole(transferred, asked)) {
      result = false;
      break;
    }
    result = true;
    offset += length;
    ++piece;
    if (observer) observer->OnProgress(UpdatePhase::kVerifying, piece, total);
  }
  if (size != 0) std::memcpy(dest, received.data(), size);
  return result;
}
