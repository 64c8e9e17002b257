#include "Tessaloft_main/SystemPrompt.h"

#include <cstring>

#include "seams/Seams.h"

namespace {

uint32_t Get32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool QueryOsVersion(OsVersion* version) {
  uint8_t record[os_version::kExtendedSize] = {};
  Put32(record + os_version::kSize, os_version::kExtendedSize);
  bool ok = ActiveShell().QueryVersionRecord(record);
  if (!ok) {
    // The basic form; the rest of the record is not cleared again.
    Put32(record + os_version::kSize, os_version::kBasicSize);
    ok = ActiveShell().QueryVersionRecord(record);
  }
  if (!ok) return false;
  version->major = Get32(record + os_version::kMajor);
  version->minor = Get32(record + os_version::kMinor);
  return true;
}

bool IsVersion6Minor1Up() {
  OsVersion v;
  return QueryOsVersion(&v) && v.major == 6 && v.minor >= 1;
}

bool IsVersion6Minor2Or3() {
  OsVersion v;
  return QueryOsVersion(&v) && v.major == 6 && (v.minor == 2 || v.minor == 3);
}

bool IsVersion10Minor0() {
  OsVersion v;
  return QueryOsVersion(&v) && v.major == 10 && v.minor == 0;
}

int CloseSystemPrompt() {
  const WindowRef prompt = ActiveShell().FindTopWindow("#32770", "Microsoft Windows");
  if (prompt == 0) return 0;
  ActiveShell().PostWindowMessage(prompt, kWmClose, 0, 0);
  return 1;
}
