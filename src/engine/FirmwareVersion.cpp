#include "engine/FirmwareVersion.h"

#include <algorithm>
#include <cstdio>

#include "engine/ConfigBlock.h"

std::string FirmwareVersionText(const uint8_t* version) {
  char text[16];  // "255.255.255.255"
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", version[0], version[1], version[2], version[3]);
  return text;
}

std::string TargetVersionText() {
  return FirmwareVersionText(TargetFirmwareVersion.data());
}

bool IsNewerThanTarget(const uint8_t* version) {
  return std::lexicographical_compare(TargetFirmwareVersion.begin(), TargetFirmwareVersion.end(),
                                      version, version + TargetFirmwareVersion.size());
}

Verdict VerdictOf(bool upToDate, const uint8_t* version) {
  if (upToDate) return Verdict::kUpToDate;
  return IsNewerThanTarget(version) ? Verdict::kNewer : Verdict::kUpdateNeeded;
}

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::kUpToDate:
      return "up to date";
    case Verdict::kNewer:
      return "newer";
    default:
      return "update needed";
  }
}
