#pragma once
// A logind inhibitor lock taken over the system bus (sd-bus): Inhibit with
// "sleep:shutdown:handle-lid-switch", mode "block". Holds while the returned
// file descriptor is open.

#include <string>

// The descriptor, or -1 with `why` saying what failed (no system bus, no
// logind, refused, or a build without the bus library).
int TakeLogindInhibitor(const char* who, const char* why, std::string* failure);
