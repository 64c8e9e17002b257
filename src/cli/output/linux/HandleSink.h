#pragma once
// The writer of a file descriptor (../HandleSink.h says how it writes).

#include <memory>

#include "cli/output/OutputPump.h"

// `fd` stays the caller's.
std::unique_ptr<OutputSink> MakeHandleSink(int fd);
