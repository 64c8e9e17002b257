#pragma once
// The command line of tq214:
//   tq214 [--json] [--trace] [--simulate[=SCENARIO]] list
//   tq214 [...] info [--device PATH]
//   tq214 [...] update [--device PATH [--allow-older] | --all] [--yes]
//   tq214 [...] watch [--update] [--yes]
//   tq214 --simulate[=SCENARIO] [--piece-ms N] ...
//   tq214 --record FILE ... | --replay FILE ...
//   tq214 --version | --help
// Options may stand before or after the command. The commands and the options
// each takes are in CommandTable.h.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/CommandTable.h"

struct CliArguments {
  const CommandEntry* command = nullptr;  // none with --help or --version
  bool help = false;
  bool version = false;
  bool json = false;
  bool jsonLines = false;  // --json=lines (json is set too)
  bool trace = false;
  bool simulate = false;
  bool yes = false;
  bool all = false;         // update --all
  bool update = false;      // watch --update
  bool allowOlder = false;  // update --allow-older
  bool noHistory = false;   // --no-history
  bool prometheus = false;  // history --prometheus
  bool wait = false;        // update --wait[=SECONDS]
  uint32_t waitSeconds = 300;
  std::string serial;    // history --serial
  std::string scenario;  // with simulate: the machine to build
  std::string device;    // --device; empty when not given
  // --piece-ms: how long the simulated enclosure takes per firmware piece.
  bool pieceMsGiven = false;
  uint32_t pieceMs = 0;
  std::string record;  // --record: the session file to write
  std::string replay;  // --replay: the session file to run against

  // Whether the command option `name` ("--device", "--all", "--yes",
  // "--update", "--allow-older", "--serial", "--wait", "--json=lines",
  // "--prometheus") was
  // given.
  bool Gives(const std::string& name) const;
};

// The longest --wait taken: a day.
constexpr uint32_t kMaxWaitSeconds = 86400;

// The longest --piece-ms taken: ten seconds a piece.
constexpr uint32_t kMaxPieceMs = 10000;

// False for a command line that is not understood; `error` then says why in
// one line. `out` holds what was read up to there (--json among it, so that
// the error can be given in the form asked for).
bool ParseArguments(const std::vector<std::string>& args, CliArguments* out, std::string* error);

// The text of --help.
std::string UsageText();
