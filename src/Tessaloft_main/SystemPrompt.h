#pragma once
// Closing the system's own dialogs titled "Microsoft Windows" before the
// configuration block is read, on the system versions that show them.

#include <cstddef>
#include <cstdint>

// The operating-system version record: the extended form is 156 bytes, the
// basic form 148; the tests read only the major and minor version.
namespace os_version {
constexpr size_t kSize = 0;   // u32: the record's size, set before the query
constexpr size_t kMajor = 4;  // u32
constexpr size_t kMinor = 8;  // u32
constexpr uint32_t kExtendedSize = 156;
constexpr uint32_t kBasicSize = 148;
}  // namespace os_version

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
};

// Extended form first, then the basic one; false when both are refused.
bool QueryOsVersion(OsVersion* version);
bool IsVersion6Minor1Up();
bool IsVersion6Minor2Or3();
bool IsVersion10Minor0();

// Posts a close request to one "#32770" window titled "Microsoft Windows";
// 1 when one was found, else 0.
int CloseSystemPrompt();
