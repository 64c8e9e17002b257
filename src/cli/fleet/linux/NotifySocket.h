#pragma once
// A notice to the service manager, on the datagram socket NOTIFY_SOCKET names
// (a path, or an abstract name written with a leading '@'), as the manager's
// protocol wants: one datagram of "NAME=value" lines. Sent without waiting:
// a manager that stopped reading (its queue full) or went away costs this
// notice and holds nothing up; WATCHDOG=1 and STATUS= come again anyway.

#include <string>

// Whether the manager's socket `socketName` (NOTIFY_SOCKET's value) took the
// notice; false when it names none.
bool SendNotice(const std::string& socketName, const std::string& state);
