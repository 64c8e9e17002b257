#pragma once
// Texts read from a device (its INQUIRY identification, the manufacturer,
// product and disk texts of its configuration block) are shown, never obeyed:
// in text output every byte outside printable ASCII is written as \xNN and a
// backslash as \\, so that a device cannot start a line of its own ("PASS"
// above the real "FAIL") or send escape sequences to the user's terminal.

#include <string>

std::string EscapeDeviceText(const std::string& text);
