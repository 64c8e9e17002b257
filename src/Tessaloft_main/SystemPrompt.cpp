#include "Tessaloft_main/SystemPrompt.h"

#include "IDEAccess/ByteOrder.h"
#include "seams/Seams.h"

bool QueryOsVersion(OsVersion* version) {
  uint8_t record[os_version::kExtendedSize] = {};
  PutLe32(record + os_version::kSize, os_version::kExtendedSize);
  bool ok = ActiveShell().QueryVersionRecord(record);
  if (!ok) {
    // The basic form; the rest of the record is not cleared again.
    PutLe32(record + os_version::kSize, os_version::kBasicSize);
    ok = ActiveShell().QueryVersionRecord(record);
  }
  if (!ok) return false;
  version->major = GetLe32(record + os_version::kMajor);
  version->minor = GetLe32(record + os_version::kMinor);
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
