#pragma once
// A firmware version as the programs write it in words and JSON: the chip
// information's four version bytes as "21.32.0.3". (The window's identity
// line has a form of its own, with two digits each.) And how a chip's version
// stands against the one this tool installs.

#include <cstdint>
#include <string>

// `version`: four bytes, most significant first.
std::string FirmwareVersionText(const uint8_t* version);
// The version this tool's update installs.
std::string TargetVersionText();

// Whether `version` is later than the one this tool installs, the four
// numbers compared in order.
bool IsNewerThanTarget(const uint8_t* version);

// What tq214 makes of an enclosure: "up to date" is the window's own test
// (the target version and the target texts); "newer" runs a later version
// than this tool carries, which an update would replace with an older one.
enum class Verdict { kUpToDate, kUpdateNeeded, kNewer };

Verdict VerdictOf(bool upToDate, const uint8_t* version);
// "up to date", "update needed", "newer".
const char* VerdictText(Verdict verdict);
