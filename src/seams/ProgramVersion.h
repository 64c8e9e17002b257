#pragma once
// The program's version, as its version resource gives it on Windows.

#include <cstdint>

constexpr uint16_t kProgramVersion[4] = {1, 0, 0, 1};
