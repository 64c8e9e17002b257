#pragma once
// The commands that read an enclosure's identity, shared by the window's
// device-information run and the command-line tool: identification, flash
// index, chip information, the bridge wait and the configuration block read,
// and the reasons a device is turned away.

#include <array>
#include <cstdint>
#include <functional>

#include "IDEAccess/ChipIdentification.h"
#include "engine/ConfigBlock.h"

enum class ReadingOutcome : uint8_t {
  kRead,           // every command answered; the block and chip information are valid
  kNotTbr640,      // the family code is not 19
  kNoFlashIndex,   // ReadFlashIndex failed
  kNoChipInfo,     // GetChipInfo failed or its signature is not 0xF4 0xE7
  kInternalCode,   // chip information byte 6 is 0: the chip runs its internal code
  kNoConfigBlock,  // the configuration block could not be read
};

// Whether the chip information was read: for kRead, and from kInternalCode on.
inline bool ReadsChipInfo(ReadingOutcome outcome) {
  return outcome == ReadingOutcome::kRead || outcome >= ReadingOutcome::kInternalCode;
}

// Chip information bytes the run reads.
constexpr size_t kChipInfoRunningFirmware = 6;
constexpr size_t kChipInfoVersion = 12;

struct DeviceReading {
  ChipCode chipCode = 0;               // set by the first command, whatever follows
  std::array<uint8_t, 16> chipInfo{};  // valid from kInternalCode on
  ConfigBlock block;                   // zero, then what the block read left
};

// Runs the commands on `path` and stops at the first refusal. `beforeBlockRead`
// runs once the chip information was accepted, before the bridge wait (the
// window closes system prompts there); it may be empty.
ReadingOutcome ReadDevice(const char* path, DeviceReading* reading,
                          const std::function<void()>& beforeBlockRead = {});
