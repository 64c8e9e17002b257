#pragma once
// Texts read from a device (its INQUIRY identification, the manufacturer,
// product and disk texts of its configuration block) are shown, never obeyed:
// in text output every byte outside printable ASCII is written as \xNN and a
// backslash as \\, so that a device cannot start a line of its own ("PASS"
// above the real "FAIL") or send escape sequences to the user's terminal.

#include <string>

std::string EscapeDeviceText(const std::string& text);

// For lines that carry paths and names (a Windows path is made of
// backslashes): control bytes and bytes that make no UTF-8 as \xNN, the
// rest as is, so that a folder named in any script shows as it is named.
// Characters beyond ASCII that steer the terminal (C1 controls, line
// separators, the marks that reorder a line) are escaped byte by byte too.
// Every message on standard error and every line of the station goes
// through it, whatever its parts are.
std::string EscapeControlBytes(const std::string& text);
