// Writes the repository's stand-in firmware image: 0xC600 bytes that build and
// test everything without the customer's image. Built and run on the build
// host at configure time, so that both build trees carry the same bytes.
//
//   0x0000  "TQ-214 STAND-IN " (16 ASCII bytes)
//   0x0010  firmware version 21, 32, 0, 3 (where the virtual chip looks for it)
//   0x0014  "IMAGE - NOT CUSTOMER FIRMWARE..." and a terminating zero
//   ...     a fixed pseudo-random pattern up to 0xC3FF
//   0xC400  a default configuration block (512 bytes)

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "engine/ConfigBlock.h"
#include "sim/VirtualEnclosure.h"

namespace {

constexpr char kBanner[] = "TQ-214 STAND-IN ";
constexpr char kNotice[] =
    "IMAGE - NOT CUSTOMER FIRMWARE. Generated for builds, tests and the demo; "
    "configure with -DTQ214_FIRMWARE_IMAGE=path to carry the real image.";
static_assert(sizeof(kBanner) - 1 == kImageVersionOffset, "the banner ends at the version");
static_assert(kImageVersionOffset + TargetFirmwareVersion.size() + sizeof(kNotice) <=
                  kImageChipHeaderOffset,
              "the notice lies before the range the chip overwrites");

constexpr uint32_t kSeed = 0x54513231;  // "TQ21"
constexpr uint16_t kDefaultVendorId = 0x6B21;
constexpr uint16_t kDefaultProductId = 0x0640;

// A fixed 32-bit xorshift stream: the same bytes on every host.
class Pattern {
 public:
  uint8_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<uint8_t>(state_ >> 24);
  }

 private:
  uint32_t state_ = kSeed;
};

void PutStringField(uint8_t* block, const StringField& field, const char* text) {
  const size_t n = std::strlen(text);
  block[field.lengthByte] = static_cast<uint8_t>(2 + 2 * n);
  block[field.typeByte] = config_block::kStringTypeText;
  std::memcpy(block + field.characters, text, n);
}

void PutDefaultConfigBlock(uint8_t* block) {
  block[config_block::VendorId] = kDefaultVendorId & 0xFF;
  block[config_block::VendorId + 1] = kDefaultVendorId >> 8;
  block[config_block::ProductId] = kDefaultProductId & 0xFF;
  block[config_block::ProductId + 1] = kDefaultProductId >> 8;
  PutStringField(block, config_block::ManufacturerString, "StandIn");  // 7 characters, L = 16
  PutStringField(block, config_block::ProductString, TargetProductText);
  PutStringField(block, config_block::kThirdString, "0000000000000001");
  const char disk[] = "StandIn HDD";  // the positions after it stay zero
  std::memcpy(block + config_block::HddString, disk, sizeof disk - 1);
}

std::vector<uint8_t> StandInImage() {
  std::vector<uint8_t> image(kFirmwareImageSize, 0);
  Pattern pattern;
  for (uint32_t i = 0; i < kImageConfigBlockOffset; ++i) image[i] = pattern.Next();
  std::memcpy(&image[0], kBanner, sizeof kBanner - 1);
  std::copy(TargetFirmwareVersion.begin(), TargetFirmwareVersion.end(),
            image.begin() + kImageVersionOffset);
  std::memcpy(&image[kImageVersionOffset + TargetFirmwareVersion.size()], kNotice, sizeof kNotice);
  std::memset(&image[kImageConfigBlockOffset], 0, kConfigBlockSize);
  PutDefaultConfigBlock(&image[kImageConfigBlockOffset]);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  const std::vector<uint8_t> image = StandInImage();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(image.data(), 1, image.size(), out) == image.size();
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "%s: write failed\n", argv[1]);
    return 1;
  }
  return 0;
}
