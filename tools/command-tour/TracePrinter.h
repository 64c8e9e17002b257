#pragma once
// Prints what the demo sent: one line per command from the machine's trace.

#include <cstdio>
#include <string>
#include <vector>

#include "sim/VirtualMachine.h"

std::string HexBytes(const uint8_t* bytes, size_t count);
std::string PrintableText(const uint8_t* bytes, size_t count);

void PrintTraceHeader(std::FILE* out);
void PrintTraceEntry(std::FILE* out, const TraceEntry& entry, const std::string& note);
