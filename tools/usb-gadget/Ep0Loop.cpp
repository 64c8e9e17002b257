#include "usb-gadget/Ep0Loop.h"

#include <linux/usb/functionfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "usb-gadget/BotSession.h"
#include "usb-gadget/ControlRequests.h"

namespace {

// How long a reset waits for the session to let go of its command.
constexpr std::chrono::milliseconds kResetGrace{500};
constexpr uint16_t kInterfaceNumber = 0;

static_assert(sizeof(usb_functionfs_event) == 12, "FunctionFS event size");
static_assert(sizeof(usb_ctrlrequest) == setup::kSize, "SETUP packet size");

void Log(const Ep0Hooks& hooks, const char* line) {
  if (hooks.log) hooks.log(line);
}

void AnswerSetup(int ep0, const usb_ctrlrequest& raw, SessionSignals& signals,
                 const Ep0Hooks& hooks) {
  std::array<uint8_t, setup::kSize> bytes{};
  std::memcpy(bytes.data(), &raw, bytes.size());
  const SetupPacket request = ParseSetup(bytes.data());
  uint8_t byte = 0;
  switch (AnswerControl(request, kInterfaceNumber)) {
    case ControlAnswer::kMaxLun:
      byte = kMaxLun;
      (void)!write(ep0, &byte, 1);
      Log(hooks, "ep0: GET MAX LUN -> 0");
      break;
    case ControlAnswer::kReset:
      if (!signals.ResetAndWait(hooks.interruptSession, kResetGrace)) {
        Log(hooks, "ep0: reset: the session did not start over in time");
      }
      // A zero-length read acknowledges the status stage.
      (void)!read(ep0, nullptr, 0);
      Log(hooks, "ep0: Bulk-Only Mass Storage Reset");
      break;
    case ControlAnswer::kStall:
      // Using ep0 against the request's direction stalls it.
      if ((request.requestType & USB_DIR_IN) != 0) {
        (void)!read(ep0, &byte, 0);
      } else {
        (void)!write(ep0, &byte, 0);
      }
      Log(hooks, "ep0: request stalled");
      break;
  }
}

}  // namespace

int RunEp0Loop(int ep0, SessionSignals& signals, const Ep0Hooks& hooks) {
  std::array<usb_functionfs_event, 4> events{};
  for (;;) {
    const ssize_t got = read(ep0, events.data(), sizeof events);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    const size_t count = static_cast<size_t>(got) / sizeof(usb_functionfs_event);
    for (size_t i = 0; i < count; ++i) {
      switch (events[i].type) {
        case FUNCTIONFS_BIND:
          Log(hooks, "ep0: bind");
          break;
        case FUNCTIONFS_UNBIND:
          if (hooks.powerCycle) hooks.powerCycle();
          signals.Restart();
          Log(hooks, "ep0: unbind: enclosure power-cycled");
          break;
        case FUNCTIONFS_ENABLE:
          signals.Restart();
          Log(hooks, "ep0: enable");
          break;
        case FUNCTIONFS_DISABLE:
          signals.Restart();
          Log(hooks, "ep0: disable");
          break;
        case FUNCTIONFS_SETUP:
          AnswerSetup(ep0, events[i].u.setup, signals, hooks);
          break;
        default:
          break;  // suspend and resume change nothing here
      }
    }
  }
}
