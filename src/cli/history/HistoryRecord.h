#pragma once
// What an update run puts in the history: one entry per enclosure and
// attempt, from its row (which enclosure, what it was before, what came of
// it), stamped with the time, the tool's version and its image's SHA-256.

#include "cli/CommandRun.h"
#include "cli/enclosure/Examine.h"
#include "cli/fleet/Outcomes.h"
#include "cli/history/HistoryEntry.h"

HistoryEntry EntryOf(const ResultRow& row);
// How the system's logs file the row's outcome: by its condition, the same
// from every command.
Outcome OutcomeOf(const ResultRow& row);
// Appends the row's entry when the run keeps a history; returns its time.
std::string Record(CommandRun& run, const ResultRow& row);
