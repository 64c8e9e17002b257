#include "support/WindowFixture.h"

#include <algorithm>

VirtualEnclosure& WindowTest::AddCurrentEnclosure(const char* path) {
  VirtualEnclosure& chip = AddEnclosure(path);
  chip.SetFirmwareVersion(21, 32, 0, 3);
  ConfigBlock block;
  std::copy(chip.memory() + ConfigBlockAddress, chip.memory() + ConfigBlockAddress + 512,
            block.bytes.begin());
  ApplyTargetTexts(block);
  std::copy(block.bytes.begin(), block.bytes.end(), chip.memory() + ConfigBlockAddress);
  return chip;
}
