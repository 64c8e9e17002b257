#pragma once
// What a session file may hold. A file beyond these is refused where the
// reader comes to the excess, as it reads (it keeps only the session it
// builds, never the whole document), so that no file can make the program
// allocate without bound.

#include <cstddef>
#include <cstdint>

constexpr int kSessionFormat = 1;

constexpr uint64_t kMaxSessionFileBytes = uint64_t{64} * 1024 * 1024;
constexpr size_t kMaxSessionEvents = 1000000;
// A transfer: the 24-bit length fields of the buffer commands, rounded up.
constexpr uint32_t kMaxTransferBytes = 16u * 1024 * 1024;
constexpr size_t kMaxCdbBytes = 16;
constexpr size_t kMaxTextLength = 4096;
constexpr size_t kMaxPlaces = 64;
constexpr size_t kMaxArguments = 64;
// The file's own shape: the document, its events, an event, a list in it.
constexpr int kMaxNesting = 4;
