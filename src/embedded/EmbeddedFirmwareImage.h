#pragma once
// The firmware image compiled into native programs: the same bytes the Windows
// program carries as its resource "TBR640_ORVEXA" of type "FW". The build
// generates the array from the image file it was given (or from the
// stand-in), and refuses a file of any other size.

#include <cstdint>

#include "IDEAccess/FirmwareImage.h"

extern const uint8_t kEmbeddedFirmwareImage[kFirmwareImageSize];
