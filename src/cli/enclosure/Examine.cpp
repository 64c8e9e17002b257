#include "cli/enclosure/Examine.h"

#include <cstdio>
#include <utility>

#include "IDEAccess/ChipIdentification.h"
#include "cli/enclosure/CandidateReport.h"
#include "engine/FirmwareVersion.h"
#include "engine/Refusals.h"
#include "seams/Seams.h"

ResultRow RowOf(const Candidate& candidate) {
  ResultRow row;
  row.device = candidate.shown;
  row.places = candidate.places;
  row.serial = candidate.serial;
  row.port = candidate.port;
  row.name = UnitName(candidate.shown, candidate.places, candidate.serial);
  return row;
}

std::string ResultLine(const ResultRow& row) {
  const std::string result = ResultText(row.result);
  return row.reason.empty() ? result : result + ": " + row.reason;
}

void TakeIdentity(ResultRow& row, const DeviceReading& reading, const IdentityLines& lines) {
  row.firmwareBefore = FirmwareVersionText(reading.chipInfo.data() + kChipInfoVersion);
  char id[8];
  std::snprintf(id, sizeof id, "%04X", VendorIdOf(reading.block));
  row.vid = id;
  std::snprintf(id, sizeof id, "%04X", ProductIdOf(reading.block));
  row.pid = id;
  row.productBefore = lines.product;
  row.diskBefore = lines.disk;
}

namespace {

// What a TBR640 read whole is: up to date, to be updated, or newer than this
// tool's firmware.
void TakeVerdict(ExaminedEnclosure& device) {
  ResultRow& row = device.row;
  const uint8_t* version = device.reading.chipInfo.data() + kChipInfoVersion;
  switch (VerdictOf(device.lines.upToDate, version)) {
    case Verdict::kUpToDate:
      row.result = RowResult::kUpToDate;
      break;
    case Verdict::kNewer:
      // Left alone and counted as not done: older firmware is written only
      // into one enclosure named on purpose (update --allow-older).
      device.newer = true;
      row.result = RowResult::kSkipped;
      row.forbidden = true;
      row.reason = RefusalSentence(kNewerFirmwareRefusal, 0, version);
      break;
    case Verdict::kUpdateNeeded:
      device.toUpdate = true;
      break;
  }
}

}  // namespace

ExaminedEnclosure Examine(const Candidate& candidate) {
  ExaminedEnclosure device;
  device.candidate = candidate;
  ResultRow& row = device.row;
  row = RowOf(candidate);
  if (!candidate.lock.taken()) {
    row.result = RowResult::kSkipped;
    row.reason = candidate.lock.busy() ? kBeingUpdatedText : candidate.lock.problem;
    return device;
  }
  // What its probe or reading read may be half of another unit's.
  const auto changed = [&candidate, &row] {
    if (!candidate.span || candidate.span->StillThere()) return false;
    row.result = RowResult::kSkipped;
    row.reason = kEnclosureChangedText;
    return true;
  };
  if (changed()) return device;
  if (!IsTbr640(candidate)) {
    row.result = RowResult::kSkipped;
    row.reason = RefusalSentence(RefusalFor(ReadingOutcome::kNotTbr640), candidate.code);
    row.counts = false;
    row.forbidden = true;
    return device;
  }
  const ReadingOutcome outcome = ReadDevice(candidate.path.c_str(), &device.reading);
  if (ReadsChipInfo(outcome)) {
    row.firmwareBefore = FirmwareVersionText(device.reading.chipInfo.data() + kChipInfoVersion);
  }
  if (outcome != ReadingOutcome::kRead) {
    row.result = RowResult::kSkipped;
    row.reason = RefusalSentence(RefusalFor(outcome), device.reading.chipCode);
    row.counts = outcome != ReadingOutcome::kNotTbr640;
    row.forbidden = true;
    device.unreadable = outcome == ReadingOutcome::kNoFlashIndex ||
                        outcome == ReadingOutcome::kNoChipInfo ||
                        outcome == ReadingOutcome::kNoConfigBlock;
    return device;
  }
  if (changed()) return device;
  BuildIdentityLines(device.reading.block, device.reading.chipInfo.data(), &device.lines);
  TakeIdentity(row, device.reading, device.lines);
  TakeVerdict(device);
  return device;
}

ExaminedEnclosure ExamineUnderLock(const Candidate& candidate) {
  // Nothing is sent to these.
  if (candidate.lock.busy() || !IsTbr640(candidate)) return Examine(candidate);
  EnclosureLock lock = ActiveSystemGuards().LockEnclosure(candidate.path.c_str());
  if (lock.taken()) {
    ExaminedEnclosure device = Examine(candidate);
    device.lock = std::move(lock.guard);
    return device;
  }
  Candidate unread = candidate;
  unread.lock = lock.standing();
  return Examine(unread);
}
