#pragma once
// The window as a user of the keyboard, of its frame, and of a second start
// meets it, checked from outside: each starts the program, drives it through
// the system (keys typed, system commands, messages), prints one line per
// check and returns 0 when all held.

#include <string>

// WindowProbe keys DEMO.exe
int KeysCheck(const std::string& demo);
// WindowProbe during-update DEMO.exe
int DuringUpdateCheck(const std::string& demo);
// WindowProbe second-start PROGRAM.exe [ARGUMENTS]
int SecondStartCheck(const std::string& program, const std::string& arguments);
