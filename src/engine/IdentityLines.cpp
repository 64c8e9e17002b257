#include "engine/IdentityLines.h"

#include <cstdio>

#include "engine/DeviceReading.h"
#include "engine/UpToDate.h"

namespace {

// Long enough for any line: the texts hold at most 59 characters.
constexpr size_t kLineSize = 160;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char line[kLineSize];
  std::snprintf(line, sizeof line, format, args...);
  return line;
}

}  // namespace

void BuildIdentityLines(const ConfigBlock& block, const uint8_t* chipInfo, IdentityLines* out) {
  FormatVidPidText(block, out->vidPid);
  out->lines[0] = out->vidPid;

  DecodeManufacturerText(block, out->manufacturer);
  out->lines[1] = Format("Manufacture[  %s  ]", out->manufacturer);

  DecodeProductText(block, out->product);
  out->lines[2] = Format("USB Prod[  %s  ]", out->product);

  DecodeDiskText(block, out->disk);
  out->lines[3] = Format("HDD String[  %s  ]", out->disk);

  const uint8_t* v = chipInfo + kChipInfoVersion;
  out->plainVersionLine =
      Format("Chip FW Version[  %.2d.%.2d.%.2d.%.2d  ]", v[0], v[1], v[2], v[3]);
  out->upToDate = IsUpToDate(v, block);
  out->lines[4] = out->upToDate ? Format("Chip FW Version[  %.2d.%.2d.%.2d.%.2d  ] Up to date",
                                         v[0], v[1], v[2], v[3])
                                : out->plainVersionLine;
}
