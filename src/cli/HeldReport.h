#pragma once
// The requests to stop that were held while updates ran, named after the
// result (text) and listed as "heldRequests" (JSON).

#include <string>
#include <vector>

#include "cli/CliSession.h"

void ReportHeld(CliSession& session, const std::vector<std::string>& held);
