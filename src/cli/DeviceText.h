#pragma once
// Texts read from a device (its INQUIRY identification, the manufacturer,
// product and disk texts of its configuration block) are shown, never obeyed:
// in text output every byte outside printable ASCII is written as \xNN and a
// backslash as \\, so that a device cannot start a line of its own ("PASS"
// above the real "FAIL") or send escape sequences to the user's terminal.

#include <string>

std::string EscapeDeviceText(const std::string& text);

// For lines that carry paths and names (a Windows path is made of
// backslashes): the bytes outside printable ASCII as \xNN, the rest as is.
// Every message on standard error and every line of the station goes
// through it, whatever its parts are.
std::string EscapeControlBytes(const std::string& text);
