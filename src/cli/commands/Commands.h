#pragma once
// The commands. Each returns its exit code; RunCli then finishes the run.

#include "cli/CommandRun.h"

int RunList(CommandRun& run);
int RunInfo(CommandRun& run);
int RunUpdate(CommandRun& run);
int RunUpdateAll(CommandRun& run);
int RunWatch(CommandRun& run);
