#pragma once
// SHA-256 from the system's own implementation: BCrypt on Windows, the
// system's crypto library (libcrypto) on Linux. One file per platform.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

// False when the system could not compute it.
bool ComputeSha256(const uint8_t* data, size_t size, Sha256Digest* digest);

// Lower-case hexadecimal, as sha256sum prints it.
inline std::string Sha256Hex(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}
