#pragma once
// Adler-32 of a byte range: the checksum the build takes of the image file at
// configure time (FirmwareImageDigest.h), recomputed over the bytes a program
// finds.

#include <cstddef>
#include <cstdint>

inline uint32_t Adler32(const uint8_t* data, size_t size) {
  constexpr uint32_t kModulus = 65521;
  uint32_t a = 1;
  uint32_t b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}
