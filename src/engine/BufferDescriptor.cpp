#include "engine/BufferDescriptor.h"

#include <algorithm>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/Cdb.h"
#include "IDEAccess/FirmwareImage.h"
#include "IDEAccess/PaddedBuffer.h"

bool ReadBufferDescriptor(const char* devicePath, BufferDescriptor* result) {
  PaddedBlock reply(descriptor::kSize);
  if (!reply.ok()) return false;
  if (!ReadBuffer(devicePath, descriptor::kModeDescriptor, kDownloadBufferId, 0, reply.data(),
                  static_cast<int32_t>(descriptor::kSize))) {
    return false;
  }
  result->boundary = reply.data()[descriptor::kBoundary];
  result->capacity = GetBe24(reply.data() + descriptor::kCapacity);
  return true;
}

uint32_t RoundedCapacity(uint32_t capacity) {
  constexpr uint32_t kMask = 511;
  return static_cast<uint32_t>((uint64_t{capacity} + kMask) & ~uint64_t{kMask});
}

uint32_t PieceCount(uint32_t bytes) {
  return bytes / kPieceSize + (bytes % kPieceSize != 0 ? 1 : 0);
}

uint32_t DownloadSpan(uint32_t capacity) {
  return std::min(RoundedCapacity(capacity), kFirmwareImageSize);
}

uint32_t ReadBackSpan(uint32_t capacity, uint32_t size) {
  return std::min(capacity, size);
}
