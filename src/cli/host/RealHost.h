#pragma once
// The real machine under tq214, one implementation per platform
// (linux/RealHost.cpp, win32/RealHost.cpp).

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/host/Host.h"
#include "cli/host/ProcessSetup.h"

// The machine, its enclosures locked through `guards` (SystemGuardsOfPlatform).
std::unique_ptr<Host> MakeRealHost(SystemGuards* guards);
// The program's own resources: the firmware image it carries.
Resources* SystemResources();
// The system's guards: a lock per enclosure across programs, the system kept
// awake. On Linux the lock files go to `lockDir` when it is not empty; the
// first call sets it for the process.
SystemGuards* SystemGuardsOfPlatform(const std::string& lockDir);
bool StandardOutputIsTerminal();
// Where this machine keeps the update history: on Linux
// $XDG_STATE_HOME/tq214/history.jsonl (by default ~/.local/state/, of the
// user the program runs as: root's under sudo), on Windows
// %LOCALAPPDATA%\tq214\history.jsonl; "" when there is no such place.
std::string DefaultHistoryPath(const ProcessVariables& variables);
// The width of the terminal on standard output; 0 when it cannot be told.
size_t TerminalColumns();
// A closed pipe or a full disk on standard output or error ends the printing
// only, never the program (Linux: SIGPIPE ignored, so that a write fails
// with EPIPE instead; Windows has no such signal).
void KeepRunningWhenOutputCloses();
