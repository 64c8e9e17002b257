#pragma once
// The real machine under tq214, one implementation per platform
// (linux/SystemHost.cpp, win32/SystemHost.cpp).

#include <memory>

#include "cli/Host.h"

std::unique_ptr<Host> MakeSystemHost();
// The program's own resources: the firmware image it carries.
Resources* SystemResources();
bool StandardOutputIsTerminal();
