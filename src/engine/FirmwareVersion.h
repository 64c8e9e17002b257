#pragma once
// A firmware version as the programs write it in words and JSON: the chip
// information's four version bytes as "21.32.0.3". (The window's identity
// line has a form of its own, with two digits each.)

#include <cstdint>
#include <string>

// `version`: four bytes, most significant first.
std::string FirmwareVersionText(const uint8_t* version);
// The version this tool's update installs.
std::string TargetVersionText();
