#pragma once
// The five identity lines of an enclosure as the window shows them, and the
// up-to-date verdict; the command-line tool prints the same lines.

#include <cstdint>
#include <string>

#include "engine/ConfigBlock.h"

struct IdentityLines {
  // The decoded fields, as the window keeps them.
  VidPidField vidPid{};
  TextField manufacturer{};
  TextField product{};
  TextField disk{};
  // "VID[ ... ]", "Manufacture[ ... ]", "USB Prod[ ... ]", "HDD String[ ... ]"
  // and the version line, which ends in " Up to date" when it is.
  std::string lines[5];
  std::string plainVersionLine;  // the version line without the verdict
  bool upToDate = false;
};

constexpr int kIdentityLineCount = 5;

// From a configuration block and the 16-byte chip information reply.
void BuildIdentityLines(const ConfigBlock& block, const uint8_t* chipInfo, IdentityLines* out);
