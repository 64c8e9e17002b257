#pragma once
// The three commands. Each returns its exit code; RunCli then finishes the
// session.

#include "cli/CliSession.h"

int RunList(CliSession& session);
int RunInfo(CliSession& session);
int RunUpdate(CliSession& session);
