#include "engine/PieceLoop.h"

#include <algorithm>

#include "IDEAccess/BridgeCommands.h"
#include "engine/BufferDescriptor.h"

bool WritePieces(const char* devicePath, uint32_t baseOffset, const uint8_t* source, uint32_t bytes,
                 UpdateObserver* observer) {
  const uint32_t total = PieceCount(bytes);
  if (observer) observer->OnProgress(UpdatePhase::kWriting, 0, total);
  uint32_t piece = 0;
  uint32_t offset = 0;
  while (offset < bytes) {
    const uint32_t length = std::min(kPieceSize, bytes - offset);
    if (!WriteBuffer(devicePath, kDownloadBufferId, kModeMicrocodeDeferred, source + offset,
                     baseOffset + offset, length)) {
      return false;
    }
    offset += length;
    ++piece;
    if (observer) observer->OnProgress(UpdatePhase::kWriting, piece, total);
  }
  return piece != 0;
}
