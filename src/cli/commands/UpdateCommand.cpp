// tq214 update: the window's update, on the command line. The enclosure must
// have passed the device-information run; the configuration block is
// rewritten only after a download that was read back equal.

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "cli/CommandRun.h"
#include "cli/DeviceText.h"
#include "cli/Enumeration.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/ChosenEnclosure.h"
#include "cli/enclosure/RefusalReport.h"
#include "cli/update/EnclosureUpdate.h"
#include "cli/update/HeldReport.h"
#include "cli/update/Progress.h"
#include "cli/update/ReconnectAdvice.h"
#include "cli/update/UpdateMonitor.h"
#include "cli/update/UpdatePlan.h"
#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"
#include "engine/FlushFileSystems.h"
#include "engine/WriteGuard.h"

namespace {

// The enclosure's file systems were flushed before the first write; a place
// that failed is said (the update went on).
void ReportUnflushed(CommandRun& run, const std::vector<FlushFailure>& unflushed) {
  run.json.Key("unflushed").BeginArray();
  for (const FlushFailure& failure : unflushed) {
    run.Note("could not flush " + EscapeDeviceText(failure.place) + " before the update (" +
             run.host.ErrorText(failure.error) + "); the update goes on");
    run.json.String(failure.place);
  }
  run.json.EndArray();
}

std::unique_ptr<ProgressView> MakeView(CommandRun& run) {
  if (run.jsonMode()) return nullptr;
  if (run.env.outIsTerminal) {
    return std::make_unique<BarProgress>(run.env.out, run.env.seconds);
  }
  return std::make_unique<PlainProgress>(run.env.out);
}

}  // namespace

int RunUpdate(CommandRun& run) {
  ChosenEnclosure enclosure;
  const int code = ChooseAndRead(run, &enclosure);
  if (code != kExitSuccess) return code;
  ShowIdentity(run, enclosure);
  if (enclosure.lines.upToDate) {
    run.text() << "Up to date: nothing to do.\n";
    run.json.Member("result", "up to date");
    return kExitSuccess;
  }

  // Older firmware over newer only when asked for, for one named enclosure.
  if (enclosure.verdict == Verdict::kNewer && !run.args.allowOlder) {
    return ReportRefusal(run, kExitFailure, enclosure.device->shown + ": ", kNewerFirmwareRefusal,
                         0, enclosure.version());
  }
  if (const Refusal* refusal = FirmwareWriteRefusal()) {
    return ReportRefusal(run, kExitFailure, enclosure.device->shown + ": ", *refusal);
  }

  ShowPlanFor(run, 1);
  if (!run.args.yes && !Confirmed(run)) {
    run.text() << "Nothing done.\n";
    return kExitDeclined;
  }

  const std::string& path = enclosure.device->path;
  std::unique_ptr<ProgressView> view = MakeView(run);
  ProgressFeed progress(view.get());
  UpdateMonitor monitor(progress, run.env.hold, run.env.seconds, &run.env.err);
  if (run.args.trace) monitor.SetTrace(&run.env.err);
  const EnclosureUpdateResult result = UpdateEnclosure(path, enclosure.device->places, monitor);
  const std::vector<std::string> held = monitor.ReleaseHold();
  if (result.busy) {
    return ReportRefusal(run, kExitFailure, enclosure.device->shown + ": ", kEnclosureBusyRefusal);
  }

  ReportUnflushed(run, result.unflushed);
  run.text() << (result.passed ? "PASS\n" : "FAIL\n");
  run.json.Member("result", result.passed ? "PASS" : "FAIL");
  ReportHeld(run, held);
  if (result.passed) {
    run.text() << ReconnectAdvice(run.host, enclosure.device->places) << '\n';
    return kExitSuccess;
  }
  std::string why = FailureReason(result);
  if (run.access.Refused(path)) why += " (" + run.host.AccessAdvice(run.access.code()) + ")";
  return run.Fail(kExitFailure, enclosure.device->shown + ": " + why);
}
