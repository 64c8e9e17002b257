#include "engine/FirmwareVersion.h"

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
