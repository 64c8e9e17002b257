#pragma once
// The chip's download buffer as READ BUFFER mode 3 describes it: byte 0 the
// offset boundary (0x0A while the chip runs its firmware, 0xFF while it runs
// its internal code), bytes 1-3 the capacity, most significant byte first.

#include <cstddef>
#include <cstdint>

namespace descriptor {
constexpr size_t kBoundary = 0;
constexpr size_t kCapacity = 1;  // 24 bits
constexpr uint32_t kSize = 4;
constexpr uint8_t kModeDescriptor = 0x03;
constexpr uint8_t kBoundaryFirmware = 0x0A;      // offsets in steps of 1024
constexpr uint8_t kBoundaryInternalCode = 0xFF;  // the manufacturing path
}  // namespace descriptor

constexpr uint8_t kDownloadBufferId = 0;
constexpr uint32_t kPieceSize = 1024;

struct BufferDescriptor {
  uint8_t boundary = 0;
  uint32_t capacity = 0;
};

// Reads the descriptor of buffer 0 into a cleared reply; false when the
// command fails.
bool ReadBufferDescriptor(const char* devicePath, BufferDescriptor* result);

// The capacity rounded up to a multiple of 512.
uint32_t RoundedCapacity(uint32_t capacity);

// The number of pieces needed for `bytes`, the last one possibly shorter.
uint32_t PieceCount(uint32_t bytes);

// How far the piece loops go. The descriptor is the chip's word, and a chip may
// report a capacity that is no whole number of pieces or that runs past our
// buffers (a download of 0xFFFFFF bytes from a 0xC600-byte image, or a
// read-back of it into 0xC600 bytes). Both loops clamp rather than refuse: the
// download sends min(rounded capacity, image size) bytes, the read-back reads
// min(capacity, read-back size) bytes, each in 1024-byte pieces with a shorter
// last piece, so no piece ever reads or writes outside a buffer. A capacity of
// 0 still sends and reads nothing and fails.
uint32_t DownloadSpan(uint32_t capacity);
uint32_t ReadBackSpan(uint32_t capacity, uint32_t size);
