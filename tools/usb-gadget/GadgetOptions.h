#pragma once
// The device program's command line.
//
//   tq214-usb-gadget --ffs DIR [--ready FILE] [--stats FILE] [--commands FILE]
//                    [--disk-mib N] [--fail-piece-at OFFSET] [--flip-read-back OFFSET]
//                    [--fail-read-back-at OFFSET] [--short-block-read N] [--piece-ms N]
//                    [--verbose]
//
// Numbers are decimal or 0x-prefixed hexadecimal.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct GadgetOptions {
  std::string ffsDir;        // where FunctionFS is mounted
  std::string readyFile;     // created once the descriptors are written
  std::string statsFile;     // one line per timed download is appended
  std::string commandsFile;  // one line per command is appended (CommandFile)
  uint32_t diskMiB = 4;
  std::optional<uint32_t> failPieceAt;     // download pieces at this offset fail
  std::optional<uint32_t> flipReadBack;    // read-back flips the byte at this offset
  std::optional<uint32_t> failReadBackAt;  // read-back of this offset: ILLEGAL REQUEST
  std::optional<uint32_t> shortBlockRead;  // the N-th configuration block read is cut short
  uint32_t pieceMs = 0;  // each firmware piece written takes this long, as flash does
  bool verbose = false;  // each command to stderr
  bool help = false;
};

constexpr uint32_t kMaxDiskMiB = 64;
constexpr uint32_t kMaxPieceMs = 1000;

extern const char kGadgetUsage[];

// Fills `options` from argv[1..]; false with a one-line `error` on bad usage.
bool ParseGadgetOptions(const std::vector<std::string>& args, GadgetOptions* options,
                        std::string* error);
