#pragma once
// The two stages of IdentifyChip, one file each.

#include <cstdint>

struct Identification {
  uint8_t family = 0;
  uint8_t revision = 0;  // 8-bit arithmetic, wraps
};

// Stage 1: INQUIRY, then the register word with the chip information (or its
// alternate form), or the buffer-1 data.
Identification FindFamily(const char* path);

// Stage 2: refines `id` by its family code (id string, family 8's check,
// family 12's vendor block and revision register).
void RefineFamily(const char* path, Identification* id);

// The stage-1 table lookup of a 3-character id, rows 1 to 37, lowest first;
// 0 when no row holds it.
uint8_t LookupFamilyId(const uint8_t* id);
