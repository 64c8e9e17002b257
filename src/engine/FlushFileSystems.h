#pragma once
// The user's data on the enclosure's disk, before its bridge is written. The
// new firmware starts when the enclosure is reconnected, and whatever the
// system still holds in memory for the disk's file systems is lost if the
// user pulls it first; so every update flushes them before its first write.

#include <cstdint>
#include <string>
#include <vector>

struct FlushFailure {
  std::string place;   // as given: "E:" or a mount point
  uint32_t error = 0;  // the system's error code
};

// Flushes the file system at each place through the volumes seam. A failure
// does not stop the others, nor the update; it is returned to be reported.
std::vector<FlushFailure> FlushFileSystems(const std::vector<std::string>& places);

// "E:" for each letter of a letters field (zero-terminated).
std::vector<std::string> LetterPlaces(const char* letters);

// "E:, F:" for the places that failed.
std::string JoinFailedPlaces(const std::vector<FlushFailure>& failures);
