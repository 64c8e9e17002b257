#pragma once
// The drive letters of the volumes that lie on one disk.

#include <cstddef>

// A device's letters field: at most 18 letters and the NUL.
constexpr size_t kDriveLettersSize = 19;
constexpr size_t kMaxDriveLetters = kDriveLettersSize - 1;

// Writes into `letters`, in ascending order, every letter whose volume lies on
// the disk at `devicePath`, leaving out the system drive's letter and network
// drives (never opened); then a NUL. The search ends at the 18th letter. When
// the disk's own device number cannot be read, `letters` is left as it was.
void FindDriveLetters(const char* devicePath, char (&letters)[kDriveLettersSize]);
