#include "engine/ConfigBlock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "IDEAccess/BridgeCommands.h"

namespace {

uint16_t Le16(const ConfigBlock& block, size_t offset) {
  return static_cast<uint16_t>(block.bytes[offset] | (block.bytes[offset + 1] << 8));
}

void DecodeString(const ConfigBlock& block, const StringField& field, TextField& text) {
  std::fill(std::begin(text), std::end(text), '\0');
  const size_t count = StringCharacterCount(block.bytes[field.lengthByte]);
  std::copy_n(&block.bytes[field.characters], count, std::begin(text));
}

constexpr uint8_t kBlankOrControl = 0x20;

}  // namespace

uint16_t VendorIdOf(const ConfigBlock& block) {
  return Le16(block, config_block::VendorId);
}

uint16_t ProductIdOf(const ConfigBlock& block) {
  return Le16(block, config_block::ProductId);
}

size_t StringCharacterCount(uint8_t lengthByte) {
  // L counts two bytes per character although each takes one. Below 2 there is
  // no character at all (0 would give a negative count). A count beyond the 59
  // characters a text field holds is cut to 59, so the text always ends inside
  // its field; the block has room for every count a length byte can announce.
  if (lengthByte < 2) return 0;
  const size_t count = (lengthByte - 2u) / 2u;
  return count < kMaxTextCharacters ? count : kMaxTextCharacters;
}

void FormatVidPidText(const ConfigBlock& block, VidPidField& text) {
  std::memset(text, 0, kVidPidTextSize);
  const auto& b = block.bytes;
  std::snprintf(text, kVidPidTextSize, "VID[  %02X%02X  ],  PID[  %02X%02X  ]",
                b[config_block::VendorId + 1], b[config_block::VendorId],
                b[config_block::ProductId + 1], b[config_block::ProductId]);
}

void DecodeManufacturerText(const ConfigBlock& block, TextField& text) {
  DecodeString(block, config_block::ManufacturerString, text);
}

void DecodeProductText(const ConfigBlock& block, TextField& text) {
  DecodeString(block, config_block::ProductString, text);
}

void DecodeDiskText(const ConfigBlock& block, TextField& text) {
  static_assert(config_block::kHddStringSize < kTextFieldSize, "room for the terminator");
  std::memset(text, 0, kTextFieldSize);
  std::memcpy(text, &block.bytes[config_block::HddString], config_block::kHddStringSize);
  // Cut at the first zero, then drop trailing blanks and control characters.
  // Bytes behind the new terminator keep what the copy put there.
  size_t end = std::strlen(text);
  while (end > 0 && static_cast<uint8_t>(text[end - 1]) <= kBlankOrControl) --end;
  text[end] = '\0';
}

bool ConfigBlockIsUpToDate(const ConfigBlock& block) {
  TextField product;
  DecodeProductText(block, product);
  if (std::strcmp(product, TargetProductText) != 0) return false;
  return std::memcmp(&block.bytes[config_block::kHddSecondPart], TargetProductText,
                     config_block::kHddSecondPartSize) == 0;
}

void ApplyTargetTexts(ConfigBlock& block) {
  constexpr StringField kProduct = config_block::ProductString;
  uint8_t* bytes = block.bytes.data();
  bytes[kProduct.lengthByte] = kTargetProductLengthByte;
  std::memset(bytes + kProduct.characters, 0, config_block::kProductClearEnd - kProduct.characters);
  std::memcpy(bytes + kProduct.characters, TargetProductText, kTargetProductTextLength);
  std::memcpy(bytes + config_block::kHddSecondPart, TargetProductText,
              config_block::kHddSecondPartSize);
}

bool ReadConfigBlock(const char* devicePath, uint8_t* bytes) {
  constexpr int32_t kLength = static_cast<int32_t>(kConfigBlockSize);
  uint32_t transferred = 0;
  return ReadBridgeMemory(devicePath, ConfigBlockAddress, bytes, kLength, &transferred) != 0 &&
         ArrivedWhole(transferred, kLength);
}

bool PatchConfigBlock(const char* devicePath) {
  ConfigBlock written;
  ConfigBlock readBack;
  // Without a block that was read whole there is nothing to patch: writing
  // the zeroed block, or a partly zeroed one, would wipe the chip's settings.
  if (!ReadConfigBlock(devicePath, written.bytes.data())) return false;
  ApplyTargetTexts(written);
  // A failed write or read-back is a failed patch, not a block taken as good.
  constexpr uint8_t kModeStore = 1;
  if (!WriteBridgeMemory(devicePath, ConfigBlockAddress, written.bytes.data(), kConfigBlockSize,
                         kModeStore)) {
    return false;
  }
  // A short read-back would compare equal wherever the block holds zeros.
  if (!ReadConfigBlock(devicePath, readBack.bytes.data())) return false;
  return written.bytes == readBack.bytes;
}
