#pragma once
// The program's version: the one project() sets in the top-level
// CMakeLists.txt (cmake/ProgramVersion.cmake), which the version resources of
// the Windows programs also carry.

#include <cstdint>

#include "ProgramVersionInfo.h"

constexpr uint16_t kProgramVersion[4] = {TQ214_VERSION_MAJOR, TQ214_VERSION_MINOR,
                                         TQ214_VERSION_PATCH, TQ214_VERSION_TWEAK};
constexpr char kProgramVersionText[] = TQ214_VERSION_TEXT;
