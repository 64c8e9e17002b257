#pragma once
// What to do after PASS: "Unmount /media/a and /media/b, then reconnect ...".
// The new firmware starts when the enclosure is reconnected, and its file
// systems must be let go of first.

#include <string>
#include <vector>

#include "cli/host/Host.h"

std::string ReconnectAdvice(const Host& host, const std::vector<std::string>& places);
