#pragma once
// The real machine under tq214, one implementation per platform
// (linux/RealHost.cpp, win32/RealHost.cpp).

#include <memory>
#include <ostream>

#include "cli/host/Host.h"

std::unique_ptr<Host> MakeRealHost();
// The program's own resources: the firmware image it carries.
Resources* SystemResources();
bool StandardOutputIsTerminal();
