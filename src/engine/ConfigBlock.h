#pragma once
// The bridge chip's 512-byte settings area: the enclosure's USB identity, its
// USB manufacturer and product texts and the disk identification text. The
// tool reads and writes it as a whole at bridge address 0xD000.

#include <array>
#include <cstddef>
#include <cstdint>

constexpr uint32_t ConfigBlockAddress = 0xD000;
constexpr size_t kConfigBlockSize = 512;

// "External USB-3.0": 16 characters, stored without a terminator.
constexpr char TargetProductText[] = "External USB-3.0";
constexpr size_t kTargetProductTextLength = sizeof(TargetProductText) - 1;
static_assert(kTargetProductTextLength == 16, "the target text fills 16 bytes");

// The firmware version of an up-to-date chip: chip information bytes 12-15.
constexpr std::array<uint8_t, 4> TargetFirmwareVersion{21, 32, 0, 3};

struct ConfigBlock {
  std::array<uint8_t, kConfigBlockSize> bytes{};
};
static_assert(sizeof(ConfigBlock) == kConfigBlockSize, "the block is 512 bytes, nothing more");

// A string field: length byte L (2 + 2 x characters), a type byte, then the
// characters, one byte each.
struct StringField {
  size_t lengthByte;
  size_t typeByte;
  size_t characters;
};

// Byte offsets within the block.
namespace config_block {
constexpr size_t VendorId = 0;   // 16 bits, low byte first
constexpr size_t ProductId = 2;  // 16 bits, low byte first
constexpr StringField ManufacturerString{12, 13, 14};
constexpr StringField ProductString{48, 49, 50};
constexpr StringField kThirdString{84, 85, 86};  // in the image's default block; left alone
constexpr size_t HddString = 200;
constexpr size_t kHddStringSize = 24;
constexpr size_t kHddSecondPart = 208;  // bytes 208-223
constexpr size_t kHddSecondPartSize = 16;
// The patch clears the product characters up to byte 80 before it writes the
// target text, so that bytes 66-80 end up zero.
constexpr size_t kProductClearEnd = 81;
constexpr uint8_t kStringTypeText = 0x03;  // the type byte of the default block

static_assert(HddString + kHddStringSize <= kConfigBlockSize, "disk text inside the block");
static_assert(kHddSecondPart + kHddSecondPartSize == HddString + kHddStringSize,
              "the second part ends the disk text");
static_assert(kHddSecondPartSize == kTargetProductTextLength, "the target fills the second part");
static_assert(ProductString.characters + kTargetProductTextLength <= kProductClearEnd,
              "the target text lies inside the cleared range");
}  // namespace config_block

// The length byte of a product text of the target's length: 34.
constexpr uint8_t kTargetProductLengthByte = 2 + 2 * kTargetProductTextLength;

// The window's text fields: 100 bytes for the VID/PID line, 60 for each text,
// so at most 59 characters and the terminating zero.
constexpr size_t kVidPidTextSize = 100;
constexpr size_t kTextFieldSize = 60;
constexpr size_t kMaxTextCharacters = kTextFieldSize - 1;
using VidPidField = char[kVidPidTextSize];
using TextField = char[kTextFieldSize];

uint16_t VendorIdOf(const ConfigBlock& block);
uint16_t ProductIdOf(const ConfigBlock& block);

// The number of characters a string field's length byte L announces,
// (L - 2) / 2, within what a text field holds.
size_t StringCharacterCount(uint8_t lengthByte);

// "VID[  %02X%02X  ],  PID[  %02X%02X  ]", each ID high byte first.
void FormatVidPidText(const ConfigBlock& block, VidPidField& text);
void DecodeManufacturerText(const ConfigBlock& block, TextField& text);
void DecodeProductText(const ConfigBlock& block, TextField& text);
// The 24 disk text bytes without trailing blanks and control characters.
void DecodeDiskText(const ConfigBlock& block, TextField& text);

// True when the product text is the target text and bytes 208-223 hold it.
// The firmware version is the caller's third condition.
bool ConfigBlockIsUpToDate(const ConfigBlock& block);

// The patch on a block in memory: product text and the disk text's second
// part become the target text; nothing else changes.
void ApplyTargetTexts(ConfigBlock& block);

// Reads the chip's block into `bytes` (512 of them). Succeeds only when the
// chip delivered the whole block: a read cut short leaves zeros where the
// texts and IDs were, and such a block must never be shown, judged or written
// back.
bool ReadConfigBlock(const char* devicePath, uint8_t* bytes);

// Reads the chip's block, patches it, writes it back and reads it again. True
// only when all three transfers succeeded and the block read back equals the
// block written. A failed or short first read writes nothing.
bool PatchConfigBlock(const char* devicePath);
