#pragma once
// What each bridge command moves, read from its CDB: the reads whose CDB
// carries a transfer length move exactly that; the other reads answer with a
// fixed reply cut to the host's length; the writes carry their length.

#include <cstdint>

#include "sim/CommandKind.h"
#include "usb-gadget/DataPhase.h"

DevicePlan PlanBridgeCommand(CommandKind kind, const uint8_t* cdb);
