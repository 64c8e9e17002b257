#pragma once
// The requests to stop that were held while updates ran, named after the
// result (text) and listed as "heldRequests" (JSON).

#include <string>
#include <vector>

#include "cli/CommandRun.h"

void ReportHeld(CommandRun& run, const std::vector<std::string>& held);
