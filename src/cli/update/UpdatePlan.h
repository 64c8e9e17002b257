#pragma once
// What tq214 says before an update, for one enclosure or several: the plan
// and the question.

#include <cstddef>
#include <string>

#include "cli/CommandRun.h"

// For 1 enclosure, several, or 0: each that arrives (a watch).
void ShowPlanFor(CommandRun& run, size_t enclosures);
// "Perform update? [y/N]": true for y or yes.
bool Confirmed(CommandRun& run);
