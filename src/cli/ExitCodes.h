#pragma once
// What tq214 tells the shell that started it.

constexpr int kExitSuccess = 0;   // done; for update also: already up to date
constexpr int kExitFailure = 1;   // the device refused, failed, or could not be reached
constexpr int kExitDeclined = 2;  // nothing done: the prompt was answered no
constexpr int kExitNoDevice = 3;  // no enclosure to work on, or several to choose from
constexpr int kExitUsage = 4;     // the command line was not understood
