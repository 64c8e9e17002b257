#include "cli/update/EnclosureUpdate.h"

#include <chrono>
#include <utility>

#include "cli/enclosure/Candidates.h"
#include "cli/enclosure/RefusalReport.h"
#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"
#include "engine/Refusals.h"
#include "engine/WriteSpan.h"

EnclosureUpdateResult UpdateEnclosure(const std::string& path,
                                      const std::vector<std::string>& places,
                                      UpdateMonitor& monitor, std::unique_ptr<SystemGuard> held,
                                      ExaminedUnit examined) {
  const auto start = std::chrono::steady_clock::now();
  EnclosureUpdateResult result;
  bool awake = false;
  {
    const WriteSpan span(path, std::move(held));
    result.lock = span.lock();
    if (!result.lock.taken()) {
      monitor.End();
      return result;
    }
    // Every command from here to the block's read-back goes through one
    // handle: the examination's, when it was kept (a span of the path joins
    // it), which must still reach the unit examined, asked of the system
    // before anything is sent.
    const DeviceSpan device(path);
    if (examined.span && !examined.span->StillThere()) {
      result.changed = true;
      monitor.End();
      return result;
    }
    if (examined.chipInfo != nullptr) monitor.ExpectChip(*examined.chipInfo);
    awake = span.awake();
    monitor.Trace("enclosure locked; " + span.awakeNote());
    ClearFailureSense();
    result.unflushed = FlushFileSystems(places);
    result.downloaded = UpdateFirmware(path.c_str(), &monitor);
    result.changed = monitor.chipChanged();
    if (result.downloaded) {
      monitor.Configuration(0);
      result.passed = PatchConfigBlock(path.c_str());
      if (result.passed) monitor.Configuration(1);
    }
    monitor.End();
    if (!result.passed) result.sense = LastFailureSense();
    // The examination's handle goes with the update: what comes back after a
    // reconnection is opened by name again.
    examined.span.reset();
  }
  monitor.Trace(awake ? "enclosure unlocked; sleep lock released" : "enclosure unlocked");
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

std::string FailureReason(const EnclosureUpdateResult& result) {
  if (result.lock.busy()) return RefusalSentence(kEnclosureBusyRefusal);
  if (result.changed) return kEnclosureChangedText;
  if (result.lock.refused()) return LockProblemSentence(result.lock.problem);
  const std::string said =
      result.sense.present ? " (the device answered " + SenseText(result.sense) + ")" : "";
  return (result.downloaded
              ? std::string("the configuration block could not be written and verified")
              : std::string("the firmware could not be written and read back equal; "
                            "the configuration block was left as it was")) +
         said;
}
