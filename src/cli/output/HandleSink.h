#pragma once
// The writers of the system's outputs, one per platform
// (linux/HandleSink.cpp, win32/HandleSink.cpp).

#include <cstddef>
#include <memory>
#include <string>

#include "cli/output/OutputPump.h"

#ifdef _WIN32
using OutputHandle = void*;  // a HANDLE
#else
using OutputHandle = int;  // a file descriptor
#endif

// Blocking writes of whole texts to `handle`, which stays the caller's. On
// Windows line ends are written as "\r\n", as the C runtime's text mode
// writes them, and a console gets the text as UTF-16 (WriteConsoleW).
// Closing (the program's end) shows the reader the output's end: on Linux
// the descriptor is left open on /dev/null, on Windows a pipe is closed.
std::unique_ptr<OutputSink> MakeHandleSink(OutputHandle handle);
// The handle of the program's standard output or error.
OutputHandle StandardHandle(OutputPump::Stream stream);

#ifdef _WIN32
// How many UTF-16 units of `text` from `at` the console is given at once:
// never more than it takes, never half a surrogate pair.
size_t ConsolePiece(const std::wstring& text, size_t at);
#endif
