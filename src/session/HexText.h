#pragma once
// Bytes as lower-case hexadecimal text and back, for the session file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::string HexOf(const uint8_t* bytes, size_t size);
inline std::string HexOf(const std::vector<uint8_t>& bytes) {
  return HexOf(bytes.data(), bytes.size());
}
// "3c 01 00 ..." as the trace and the divergence message show a CDB.
std::string SpacedHexOf(const std::vector<uint8_t>& bytes);
// False for an odd length or a character that is not a hex digit.
bool BytesOfHex(const std::string& text, std::vector<uint8_t>* bytes);
