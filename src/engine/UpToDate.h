#pragma once
// Whether an enclosure needs the update: the chip runs the target firmware and
// its configuration block carries the target texts. The window and the
// command-line tool decide by this one test.

#include <cstdint>

#include "engine/ConfigBlock.h"

// `chipFirmwareVersion`: the chip information reply's bytes 12-15.
bool IsUpToDate(const uint8_t* chipFirmwareVersion, const ConfigBlock& block);
