// tq214 update: the window's update, on the command line. The enclosure must
// have passed the device-information run; the configuration block is
// rewritten only after a download that was read back equal.

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "Tessaloft_main/ConfigBlock.h"
#include "Tessaloft_main/FirmwareDownload.h"
#include "Tessaloft_main/FlushFileSystems.h"
#include "Tessaloft_main/WriteGuard.h"
#include "cli/Commands.h"
#include "cli/DeviceSession.h"
#include "cli/DeviceText.h"
#include "cli/DeviceUpdate.h"
#include "cli/Enumeration.h"
#include "cli/ExitCodes.h"
#include "cli/HeldReport.h"
#include "cli/Progress.h"
#include "cli/UpdatePlan.h"
#include "cli/UpdateWatch.h"

namespace {

// The enclosure's file systems were flushed before the first write; a place
// that failed is said (the update went on).
void ReportUnflushed(CliSession& session, const std::vector<FlushFailure>& unflushed) {
  session.json.Key("unflushed").BeginArray();
  for (const FlushFailure& failure : unflushed) {
    session.Note("could not flush " + EscapeDeviceText(failure.place) + " before the update (" +
                 session.host.ErrorText(failure.error) + "); the update goes on");
    session.json.String(failure.place);
  }
  session.json.EndArray();
}

// "Unmount /media/a and /media/b, then reconnect ...": the new firmware starts
// when the enclosure is reconnected, and its file systems must be let go of
// first.
std::string ReconnectAdvice(const Host& host, const std::vector<std::string>& places) {
  if (places.empty()) return "Reconnect the enclosure to start the new firmware.";
  std::vector<std::string> shown(places.size());
  std::transform(places.begin(), places.end(), shown.begin(), EscapeDeviceText);
  return std::string(host.detachVerb()) + " " + Enumeration(shown) +
         ", then reconnect the enclosure to start the new firmware.";
}

std::unique_ptr<ProgressView> MakeView(CliSession& session) {
  if (session.jsonMode()) return nullptr;
  if (session.env.outIsTerminal) {
    return std::make_unique<BarProgress>(session.env.out, session.env.seconds);
  }
  return std::make_unique<PlainProgress>(session.env.out);
}

}  // namespace

int RunUpdate(CliSession& session) {
  ReadEnclosure enclosure;
  const int code = ChooseAndRead(session, &enclosure);
  if (code != kExitSuccess) return code;
  ShowIdentity(session, enclosure);
  if (enclosure.lines.upToDate) {
    session.text() << "Up to date: nothing to do.\n";
    session.json.Member("result", "up to date");
    return kExitSuccess;
  }

  if (const char* refusal = FirmwareWriteRefusal()) {
    session.json.Member("refusal", "stand-in-image");
    return session.Fail(kExitFailure, enclosure.device->shown + ": " + refusal + StandInAdvice());
  }

  ShowPlanFor(session, 1);
  if (!session.args.yes && !Confirmed(session)) {
    session.text() << "Nothing done.\n";
    return kExitDeclined;
  }

  const std::string& path = enclosure.device->path;
  std::unique_ptr<ProgressView> view = MakeView(session);
  ProgressFeed progress(view.get());
  UpdateWatch watch(progress, session.env.hold, session.env.seconds);
  const DeviceUpdateResult result = UpdateOneDevice(path, enclosure.device->places, watch);
  const std::vector<std::string> held = watch.ReleaseHold();

  ReportUnflushed(session, result.unflushed);
  session.text() << (result.passed ? "PASS\n" : "FAIL\n");
  session.json.Member("result", result.passed ? "PASS" : "FAIL");
  ReportHeld(session, held);
  if (result.passed) {
    session.text() << ReconnectAdvice(session.host, enclosure.device->places) << '\n';
    return kExitSuccess;
  }
  std::string why = FailureReason(result);
  if (session.access.Refused(path))
    why += " (" + session.host.AccessAdvice(session.access.code()) + ")";
  return session.Fail(kExitFailure, enclosure.device->shown + ": " + why);
}
