#pragma once
// tq214 --version: the program's version and the firmware image it carries,
// so that nobody mistakes a build with the stand-in for one with the firmware:
//   tq214 1.0.0.1
//   firmware image 21.32.0.3 (stand-in, not firmware), SHA-256 3f0a...
// The checksum is taken from the bytes the program finds in its resources.

#include <string>

#include "seams/Resources.h"

std::string VersionText(Resources* resources);
