// Reads the chip's download buffer back with the update engine's own read-back
// (ReadBackFirmware over SG_IO, as tq214 does) and compares it with an image
// file over the range the update verifies: 0x0000-0x01FF and 0x0400-0xC3FF.
// Used by the USB harness to show that another program's download landed
// where tq214 looks for it.
//
//   tq214-readback-check DEVICE IMAGE     exit 0: equal, 1: different or unreadable

#include <cstdio>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "engine/FirmwareDownload.h"
#include "platform/linux/LinuxPlatform.h"
#include "seams/Seams.h"

namespace {

bool ReadImage(const char* path, std::vector<uint8_t>* image) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  image->assign(kFirmwareImageSize + 1, 0);
  const size_t got = std::fread(image->data(), 1, image->size(), file);
  std::fclose(file);
  image->resize(got);
  return got == kFirmwareImageSize;
}

bool Verified(uint32_t offset) {
  return offset < kImageChipHeaderOffset ||
         (offset >= kImageChipHeaderEnd && offset < kImageConfigBlockOffset);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tq214-readback-check DEVICE IMAGE\n", stderr);
    return 2;
  }
  std::vector<uint8_t> image;
  if (!ReadImage(argv[2], &image)) {
    std::fprintf(stderr, "tq214-readback-check: %s is not a 0x%X-byte image\n", argv[2],
                 kFirmwareImageSize);
    return 2;
  }
  InstallSeams(LinuxPlatformSeams());
  std::vector<uint8_t> readBack(kFirmwareImageSize, 0);
  if (!ReadBackFirmware(argv[1], 0, readBack.data(), kFirmwareImageSize)) {
    std::fprintf(stderr, "tq214-readback-check: reading the download buffer of %s failed\n",
                 argv[1]);
    return 1;
  }
  uint32_t compared = 0;
  for (uint32_t offset = 0; offset < kFirmwareImageSize; ++offset) {
    if (!Verified(offset)) continue;
    if (readBack[offset] != image[offset]) {
      std::printf("read-back differs at 0x%04X: 0x%02X, image 0x%02X\n", offset, readBack[offset],
                  image[offset]);
      return 1;
    }
    ++compared;
  }
  std::printf("read-back matches the image: %u bytes over 0x0000-0x01FF and 0x0400-0xC3FF\n",
              compared);
  return 0;
}
