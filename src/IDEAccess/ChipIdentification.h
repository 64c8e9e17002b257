#pragma once
// Which of the vendor's bridge families stands in front of a disk, and with
// which revision: a fixed sequence of probes through the bridge command set.
// A probe that fails only moves the sequence on; family code 0 means that no
// recognised bridge answered.

#include <cstdint>

// Low byte the family code (0, or 1 to 37; 19 is the TBR640), high byte the
// revision (0 when no rule sets it). Callers look at the family code alone.
using ChipCode = uint16_t;

inline uint8_t FamilyCodeOf(ChipCode code) {
  return static_cast<uint8_t>(code & 0xFF);
}
inline uint8_t RevisionOf(ChipCode code) {
  return static_cast<uint8_t>(code >> 8);
}

// Identifies the chip behind the disk at `path`. May show one modal box (a
// family-8 chip that fails its check), through the shell.
ChipCode IdentifyChip(const char* path);

// READ BUFFER on buffer 1 reads 2^n bytes for descriptor byte n only when that
// holds the bytes the test reads (n >= 3) and fits the command's 24-bit length
// field (n <= 23); any other n gives no family code from that probe.
constexpr uint8_t kBuffer1MinExponent = 3;
constexpr uint8_t kBuffer1MaxExponent = 23;

// The family-8 check's box.
constexpr char kChipInfoFailText[] = "Get chip information fail !";
constexpr char kChipInfoFailCaption[] = "Error";
