#pragma once
// The confirmation of an update after the enclosure is reconnected: the same
// unit goes away, comes back, and is read again as any arrival is; only then
// is it known that the new firmware started. A unit is known by its serial
// number; one without is known by the USB port it was plugged into, not by
// its path, which the system may give to the next disk (Linux: /dev/sdb).

#include <cstdint>
#include <string>

#include "cli/CommandRun.h"
#include "cli/enclosure/Examine.h"
#include "cli/host/DeviceEvents.h"

struct Unit {
  std::string serial;  // "" when it has none
  std::string port;    // Host::PortOf; "" when it cannot be told
  // Whether it can be told from another unit when it comes back.
  bool known() const { return !serial.empty() || !port.empty(); }
};

// Whether the disk at `path` (as the system spells it) is the unit.
bool IsUnit(const Host& host, const Unit& unit, const std::string& path);

enum class ReconnectOutcome { kBack, kTimedOut, kEnded };

struct Reconnected {
  ReconnectOutcome outcome = ReconnectOutcome::kTimedOut;
  ExaminedEnclosure found;  // kBack: the unit as it answers now
};

// Waits at most `seconds` for the unit to go and come back, then reads it.
// A request to stop (Ctrl+C) ends the wait: nothing is being written.
Reconnected WaitForReconnect(CommandRun& run, DeviceEvents& events, const Unit& unit,
                             uint32_t seconds);
