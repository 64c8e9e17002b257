#pragma once
// tq214's report of a refusal: one line on standard error, `prefix` (the
// device, when one was chosen) and the refusal's sentence, with what to do
// where the tool can say; "refusal" in JSON.

#include <string>

#include "cli/CommandRun.h"
#include "engine/Refusals.h"

// Returns `code`. `chipCode` and `version` as RefusalSentence takes them.
int ReportRefusal(CommandRun& run, int code, const std::string& prefix, const Refusal& refusal,
                  ChipCode chipCode = 0, const uint8_t* version = nullptr);

// An update refused because the enclosure's lock has no safe place:
// `problem` names the lock's path and what is wrong with it. Returns 1.
int ReportLockProblem(CommandRun& run, const std::string& problem);
// The same in words, for a table's reason and the history.
std::string LockProblemSentence(const std::string& problem);
