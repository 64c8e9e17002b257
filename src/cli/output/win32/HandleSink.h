#pragma once
// The writer of a handle (../HandleSink.h says how it writes).

#include <cstddef>
#include <memory>
#include <string>

#include "cli/output/OutputPump.h"

// `handle` (a HANDLE) stays the caller's.
std::unique_ptr<OutputSink> MakeHandleSink(void* handle);

// How many UTF-16 units of `text` from `at` the console is given at once:
// never more than it takes, never half a surrogate pair.
size_t ConsolePiece(const std::wstring& text, size_t at);
