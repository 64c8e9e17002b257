#pragma once
// What tq214 says before an update, for one enclosure or several: the plan,
// the question, and the advice of a build that may not write a real
// enclosure.

#include <cstddef>
#include <string>

#include "cli/CommandRun.h"

// For 1 enclosure, several, or 0: each that arrives (a watch).
void ShowPlanFor(CommandRun& run, size_t enclosures);
// "Perform update? [y/N]": true for y or yes.
bool Confirmed(CommandRun& run);
// "; it updates the virtual enclosure only ..." after the refusal's reason.
std::string StandInAdvice();
