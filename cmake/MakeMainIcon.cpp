// Writes the updater's icon: one 32 x 32 image with an alpha channel, an
// enclosure with an upward arrow. Built and run on the build host by
// src/app/CMakeLists.txt, which hands the file to the resource compiler.
//
// usage: make-main-icon OUTPUT.ico

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSide = 32;

// The icon file: a directory, one entry, then the image (a bitmap header,
// the colour rows bottom-up, the transparency mask rows).
namespace ico {
constexpr size_t kDirReserved = 0;  // u16
constexpr size_t kDirType = 2;      // u16: 1 = icon
constexpr size_t kDirCount = 4;     // u16
constexpr size_t kDirSize = 6;
constexpr size_t kEntryWidth = 0;     // u8
constexpr size_t kEntryHeight = 1;    // u8
constexpr size_t kEntryColours = 2;   // u8
constexpr size_t kEntryReserved = 3;  // u8
constexpr size_t kEntryPlanes = 4;    // u16
constexpr size_t kEntryBitCount = 6;  // u16
constexpr size_t kEntryBytes = 8;     // u32: the image's size
constexpr size_t kEntryOffset = 12;   // u32: where the image starts
constexpr size_t kEntrySize = 16;
constexpr size_t kHeaderSize = 40;       // the bitmap header
constexpr size_t kHeaderWidth = 4;       // i32
constexpr size_t kHeaderHeight = 8;      // i32: colour and mask rows together
constexpr size_t kHeaderPlanes = 12;     // u16
constexpr size_t kHeaderBitCount = 14;   // u16
constexpr size_t kHeaderImageSize = 20;  // u32
constexpr size_t kColourBytes = kSide * kSide * 4;
constexpr size_t kMaskRowBytes = kSide / 8;  // already a multiple of 4
constexpr size_t kMaskBytes = kMaskRowBytes * kSide;
constexpr size_t kImageOffset = kDirSize + kEntrySize;
constexpr size_t kImageSize = kHeaderSize + kColourBytes + kMaskBytes;
}  // namespace ico
static_assert(ico::kImageOffset == 22, "one directory entry precedes the image");
static_assert(ico::kImageSize == 4264, "header, 32-bit colours and a one-bit mask");
static_assert(ico::kEntryOffset + 4 == ico::kEntrySize, "the entry ends with the offset");

struct Pixel {
  uint8_t b = 0, g = 0, r = 0, a = 0;
};

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

Pixel Colour(uint8_t r, uint8_t g, uint8_t b) {
  return Pixel{b, g, r, 255};
}

// Rows top-down here; the file stores them bottom-up.
std::vector<Pixel> Draw() {
  std::vector<Pixel> image(kSide * kSide);
  auto at = [&image](int x, int y) -> Pixel& { return image[y * kSide + x]; };
  const Pixel body = Colour(0x37, 0x47, 0x4F);
  const Pixel edge = Colour(0x26, 0x32, 0x38);
  const Pixel arrow = Colour(0x66, 0xBB, 0x6A);
  const Pixel led = Colour(0x4F, 0xC3, 0xF7);
  // The enclosure: a box with cut corners and a darker rim.
  for (int y = 4; y <= 28; ++y) {
    for (int x = 3; x <= 28; ++x) {
      const bool corner = (x == 3 || x == 28) && (y == 4 || y == 28);
      if (corner) continue;
      const bool rim = x == 3 || x == 28 || y == 4 || y == 28;
      at(x, y) = rim ? edge : body;
    }
  }
  // The arrow: a head from row 8 to 15, a shaft down to row 23.
  for (int y = 8; y <= 15; ++y) {
    const int half = y - 8;
    for (int x = 15 - half; x <= 16 + half; ++x) at(x, y) = arrow;
  }
  for (int y = 16; y <= 23; ++y) {
    for (int x = 13; x <= 18; ++x) at(x, y) = arrow;
  }
  // The activity light.
  for (int y = 25; y <= 26; ++y) {
    for (int x = 24; x <= 25; ++x) at(x, y) = led;
  }
  return image;
}

std::vector<uint8_t> IconFile(const std::vector<Pixel>& image) {
  std::vector<uint8_t> out(ico::kImageOffset + ico::kImageSize, 0);
  Put16(out, ico::kDirReserved, 0);
  Put16(out, ico::kDirType, 1);
  Put16(out, ico::kDirCount, 1);
  const size_t entry = ico::kDirSize;
  out[entry + ico::kEntryWidth] = kSide;
  out[entry + ico::kEntryHeight] = kSide;
  out[entry + ico::kEntryColours] = 0;
  out[entry + ico::kEntryReserved] = 0;
  Put16(out, entry + ico::kEntryPlanes, 1);
  Put16(out, entry + ico::kEntryBitCount, 32);
  Put32(out, entry + ico::kEntryBytes, ico::kImageSize);
  Put32(out, entry + ico::kEntryOffset, ico::kImageOffset);

  const size_t header = ico::kImageOffset;
  Put32(out, header, ico::kHeaderSize);
  Put32(out, header + ico::kHeaderWidth, kSide);
  Put32(out, header + ico::kHeaderHeight, 2 * kSide);
  Put16(out, header + ico::kHeaderPlanes, 1);
  Put16(out, header + ico::kHeaderBitCount, 32);
  Put32(out, header + ico::kHeaderImageSize, ico::kColourBytes + ico::kMaskBytes);

  const size_t colours = header + ico::kHeaderSize;
  const size_t mask = colours + ico::kColourBytes;
  for (int row = 0; row < kSide; ++row) {
    const int y = kSide - 1 - row;
    for (int x = 0; x < kSide; ++x) {
      const Pixel& p = image[y * kSide + x];
      const size_t at = colours + (row * kSide + x) * 4;
      out[at] = p.b;
      out[at + 1] = p.g;
      out[at + 2] = p.r;
      out[at + 3] = p.a;
      if (p.a == 0) out[mask + row * ico::kMaskRowBytes + x / 8] |= 0x80 >> (x % 8);
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
    return EXIT_FAILURE;
  }
  const std::vector<uint8_t> file = IconFile(Draw());
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
    std::perror(argv[1]);
    if (out) std::fclose(out);
    return EXIT_FAILURE;
  }
  return std::fclose(out) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
