#pragma once
// tq214 as a process: the one place that reads its environment, each
// variable once at the start, and runs the program over the real machine.
// The entry points (linux/ProgramMain.cpp, win32/ProgramMain.cpp) only turn
// the arguments into UTF-8.

#include <string>
#include <vector>

// The environment variables tq214 reads, as UTF-8; "" where one is not set
// (none of them means anything when empty).
struct ProcessVariables {
  std::string history;       // TQ214_HISTORY: a history file every run appends to
  std::string journal;       // TQ214_JOURNAL: "1" logs simulated and replayed runs too
  std::string lockDir;       // TQ214_LOCK_DIR: the folder of the enclosures' lock files
  std::string notifySocket;  // NOTIFY_SOCKET: the service manager's socket
  std::string stateHome;     // XDG_STATE_HOME, HOME, LOCALAPPDATA: where the history lives
  std::string home;
  std::string localAppData;
  // TQ214_JSON_CAPTURE_DIR, in the tests' build only: where the program
  // keeps its JSON for the schema check (capture/ProgramCapture.h).
  std::string jsonCapture;
  // TQ214_TEST_ONLY_WRITE_STAND_IN, in a stand-in build only: "1" lets the
  // USB harness write the stand-in image into a real device.
  std::string standInSwitch;
};

ProcessVariables ReadProcessVariables();
// The environment variable `name` as UTF-8, as every text inside the
// program is (linux/ProcessSetup.cpp; win32/ProcessSetup.cpp reads it wide);
// "" when it is not set. Only ReadProcessVariables calls it.
std::string EnvironmentText(const char* name);

// The program, with its arguments (after its name) as UTF-8; the exit code.
int RunProcess(const std::vector<std::string>& args);
