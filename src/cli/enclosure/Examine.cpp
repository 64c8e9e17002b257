#include "cli/enclosure/Examine.h"


#include "IDEAccess/ChipIdentification.h"
#include "engine/FirmwareVersion.h"

namespace {

const char* SkipReason(ReadingOutcome outcome) {
  switch (outcome) {
    case ReadingOutcome::kNoFlashIndex:
      return "the bridge did not answer the flash index command";
    case ReadingOutcome::kNoChipInfo:
      return "the chip information could not be read";
    case ReadingOutcome::kInternalCode:
      return "the bridge runs its internal code";
    case ReadingOutcome::kNoConfigBlock:
      return "the configuration block could not be read";
    default:
      return "not a TBR640";
  }
}

}  // namespace

ExaminedEnclosure Examine(const Candidate& candidate) {
  ExaminedEnclosure device;
  device.candidate = candidate;
  ResultRow& row = device.row;
  row.device = candidate.shown;
  row.places = candidate.places;
  if (!IsTbr640(candidate)) {
    row.result = "skipped";
    row.reason = "not a TBR640 (family " + std::to_string(FamilyCodeOf(candidate.code)) + ")";
    row.counts = false;
    return device;
  }
  const ReadingOutcome outcome = ReadDevice(candidate.path.c_str(), &device.reading);
  // The chip information was read from kInternalCode on, and for kRead.
  if (outcome == ReadingOutcome::kRead || outcome >= ReadingOutcome::kInternalCode) {
    row.firmwareBefore = FirmwareVersionText(device.reading.chipInfo.data() + kChipInfoVersion);
  }
  if (outcome != ReadingOutcome::kRead) {
    row.result = "skipped";
    row.reason = SkipReason(outcome);
    row.counts = outcome != ReadingOutcome::kNotTbr640;
    return device;
  }
  BuildIdentityLines(device.reading.block, device.reading.chipInfo.data(), &device.lines);
  if (device.lines.upToDate) {
    row.result = "up to date";
  } else {
    device.toUpdate = true;
  }
  return device;
}
