#pragma once
// The commands. Each returns its exit code; RunCli then finishes the session.

#include "cli/CliSession.h"

int RunList(CliSession& session);
int RunInfo(CliSession& session);
int RunUpdate(CliSession& session);
int RunUpdateAll(CliSession& session);
int RunWatch(CliSession& session);
