#pragma once
// The real machine under tq214, one implementation per platform
// (linux/SystemHost.cpp, win32/SystemHost.cpp).

#include <memory>
#include <ostream>

#include "cli/Host.h"
#include "cli/InterruptHold.h"

std::unique_ptr<Host> MakeSystemHost();
// The program's own resources: the firmware image it carries.
Resources* SystemResources();
bool StandardOutputIsTerminal();
// Holds stop requests during an update; its notice goes to `err`.
std::unique_ptr<InterruptHold> MakeInterruptHold(std::ostream& err);
