#pragma once
// The command line of tq214 (its --help: UsageText). Options may stand before
// or after the command, each one once; the commands and the options each
// takes are in CommandTable.h.

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

  // Whether the command option `name`, as CommandTable.h spells it, was
  // given.
  bool Gives(const std::string& name) const;
};

// An option of the command line, as the parser knows it: its name, its other
// spelling ("-y"; null for none), and whether it takes a value ("--device
// PATH" or "--device=PATH"; "--wait" or "--wait=SECONDS").
enum class OptionValue { kNone, kOptional, kRequired };
struct OptionSpelling {
  const char* name;
  const char* alias;
  OptionValue value;
};
// Every option; one the table lacks is refused as unknown.
const std::vector<OptionSpelling>& OptionTable();

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
