#pragma once
// The firmware the tool installs travels inside the program itself, as
// resources of type "FW" (ActiveResources()). Two loaders copy such a resource
// into a buffer of the caller's: the one firmware image, and a manufacturing
// ROM, which the download needs only for a chip that runs its internal code.

#include <cstdint>

constexpr char kFirmwareResourceType[] = "FW";
constexpr char kFirmwareResourceName[] = "TBR640_ORVEXA";
constexpr char kMfgRomSetName[] = "TBR630_ROM0_MFG";    // romSelect set
constexpr char kMfgRomClearName[] = "TBR650_ROM0_MFG";  // romSelect clear

constexpr uint32_t kFirmwareImageSize = 0xC600;
constexpr uint32_t kMfgRomImageSize = 0xC400;

// Image offsets that the update cares about.
constexpr uint32_t kImageChipHeaderOffset = 0x200;  // 0x200-0x3FF: never compared
constexpr uint32_t kImageChipHeaderEnd = 0x400;
constexpr uint32_t kImageConfigBlockOffset = 0xC400;  // 0xC400-0xC5FF: default settings

// What LoadFirmwareImage returns for a resource that was found but whose bytes
// could not be had: the system's "resource data not found", never a size a
// caller accepts.
constexpr int32_t kErrorResourceDataNotFound = 1812;

// Copies resource "TBR640_ORVEXA" into `dest`, which holds `destCapacity`
// bytes. `offset` and `length` pick the bytes: length 0, or a range running
// past the resource's end, means everything from `offset` to the end. Returns
// the resource's whole size, or the lookup's error code when it is missing, or
// kErrorResourceDataNotFound when it cannot be mapped (then nothing is copied).
int32_t LoadFirmwareImage(uint8_t* dest, uint32_t destCapacity, uint32_t offset, uint32_t length);

// The same for a manufacturing ROM: `romSelect` set picks "TBR630_ROM0_MFG",
// clear "TBR650_ROM0_MFG". Returns the resource's size, or 0 when it is missing
// or cannot be mapped.
uint32_t LoadMfgRomImage(uint8_t* dest, uint32_t destCapacity, uint32_t offset, uint32_t length,
                         bool romSelect);
