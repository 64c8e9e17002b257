#pragma once
// The download's piece loop: WRITE BUFFER mode 0x0E, buffer 0, one command per
// 1024 bytes, always from offset 0.

#include <cstdint>

#include "engine/UpdateObserver.h"

constexpr uint8_t kModeMicrocodeDeferred = 0x0E;  // download with offsets, save, defer activate

// Sends `bytes` bytes of `source` at buffer offsets baseOffset + n x 1024. Stops
// at the first failed piece. True when at least one piece went and none failed.
bool WritePieces(const char* devicePath, uint32_t baseOffset, const uint8_t* source, uint32_t bytes,
                 UpdateObserver* observer);
