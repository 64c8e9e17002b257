#pragma once
// The demo program's command line: which ready-made machine to run on, and
// how long the virtual chip takes to store one piece of the firmware.
//
//   --scenario NAME     one of ScenarioNames() (default "outdated")
//   --piece-ms N        milliseconds per piece written (default 150)
//   --record FILE       writes the run's session into FILE
//   --replay FILE       runs against the session in FILE instead of the machine
//   --single-instance   one demo window per session, as the product keeps one
//                       updater window: a second demo started with it brings
//                       the first to the front and ends. Without it demos run
//                       side by side, so that one left over never stops the
//                       next (the window tests start many in turn).

#include <cstdint>
#include <string>

struct DemoOptions {
  std::string scenario = "outdated";
  uint32_t writePieceMs = 150;
  uint32_t readPieceMs = 20;
  std::string record;
  std::string replay;
  bool singleInstance = false;
};

// False, with a reason in `error`, for anything it does not know.
bool ParseDemoOptions(int argc, const char* const* argv, DemoOptions* options, std::string* error);

// The usage text, naming every scenario.
std::string DemoUsage();
