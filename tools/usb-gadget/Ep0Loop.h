#pragma once
// The ep0 side of the function: FunctionFS events (bind, enable, disable,
// unbind, suspend, resume) and the class requests that come with SETUP.
// Unbinding the UDC is the device losing power: the enclosure power-cycles,
// which activates a complete download, so the re-attached device reports the
// new firmware.

#include <functional>

#include "usb-gadget/SessionSignals.h"

struct Ep0Hooks {
  std::function<void()> powerCycle;        // the device lost power
  std::function<void()> interruptSession;  // makes the session thread's transfer fail with EINTR
  std::function<void(const char*)> log;    // one line per event; may be empty
};

// Serves events until ep0 fails; returns the errno that ended it.
int RunEp0Loop(int ep0, SessionSignals& signals, const Ep0Hooks& hooks);
