#include "cli/update/Reconnect.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "IDEAccess/Discovery.h"
#include "seams/AsciiCase.h"
#include "seams/Seams.h"

namespace {

constexpr uint32_t kWaitMs = 100;
// A bridge answers a moment after it is plugged in; it is read once it does.
constexpr int kReadTries = 4;
constexpr uint32_t kReadRetryMs = 250;

// The path of the unit among the disks now, or "".
std::string Present(const Host& host, const Unit& unit) {
  const std::vector<std::string> paths = ListBusDiskPaths(1);
  const auto found = std::find_if(paths.begin(), paths.end(), [&](const std::string& path) {
    return IsUnit(host, unit, path);
  });
  return found == paths.end() ? "" : *found;
}

}  // namespace

bool IsUnit(const Host& host, const Unit& unit, const std::string& path) {
  if (!unit.serial.empty()) return host.SerialOf(path) == unit.serial;
  return !unit.port.empty() && host.SerialOf(path).empty() &&
         EqualsIgnoringAsciiCase(host.PortOf(path), unit.port);
}

Reconnected WaitForReconnect(CommandRun& run, DeviceEvents& events, const Unit& unit,
                             uint32_t seconds) {
  InterruptHold* hold = run.env.hold;
  if (hold) hold->SetRunEndsOnRequest(true);
  Reconnected result;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool gone = false;
  std::string back;
  while (back.empty()) {
    if (hold && hold->requested()) {
      result.outcome = ReconnectOutcome::kEnded;
      break;
    }
    if (std::chrono::steady_clock::now() >= until) break;
    events.Wait(kWaitMs);
    const std::string present = Present(run.host, unit);
    if (present.empty()) {
      gone = true;
    } else if (gone) {
      back = present;
    }
  }
  if (hold) hold->SetRunEndsOnRequest(false);
  if (back.empty()) return result;
  result.outcome = ReconnectOutcome::kBack;
  for (int tries = 0; tries < kReadTries; ++tries) {
    if (tries > 0) events.Wait(kReadRetryMs);
    // Another program that took it meanwhile gets no command from here.
    if (ActiveSystemGuards().EnclosureBusy(back.c_str())) continue;
    if (!AnswersBridge(back.c_str())) continue;
    result.found = Examine(LookAt(run.host, back));
    if (!result.found.unreadable) break;
  }
  return result;
}
