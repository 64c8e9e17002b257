#pragma once
// The writers of the system's outputs, one per platform
// (linux/HandleSink.cpp, win32/HandleSink.cpp; their headers give the writer
// of any descriptor or handle).

#include <memory>

#include "cli/output/OutputPump.h"

// Blocking writes of whole texts to the program's standard output or error.
// On Windows line ends are written as "\r\n", as the C runtime's text mode
// writes them, and a console gets the text as UTF-16 (WriteConsoleW).
// Closing (the program's end) shows the reader the output's end: on Linux
// the descriptor is left open on /dev/null, on Windows a pipe is closed.
std::unique_ptr<OutputSink> MakeStandardSink(OutputPump::Stream stream);
