#pragma once
// What tq214 says around an update, for one enclosure or several: the plan,
// the question, the requests to stop that were held, the advice of a build
// that may not write a real enclosure.

#include <cstddef>
#include <string>
#include <vector>

#include "cli/CliSession.h"

// For 1 enclosure, several, or 0: each that arrives (a watch).
void ShowPlanFor(CliSession& session, size_t enclosures);
// "Perform update? [y/N]": true for y or yes.
bool Confirmed(CliSession& session);
void ReportHeld(CliSession& session, const std::vector<std::string>& held);
// "; it updates the virtual enclosure only ..." after the refusal's reason.
std::string StandInAdvice();
// "a", "a and b", "a, b and c".
std::string Enumeration(const std::vector<std::string>& items);
