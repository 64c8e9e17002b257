#include "cli/enclosure/RefusalReport.h"

#include "cli/ExitCodes.h"

namespace {

// Where a customer's image is named at configure time, for the refusal.
constexpr char kRealImageExample[] = "/path/to/TBR640_ORVEXA.bin";

}  // namespace

int ReportRefusal(CommandRun& run, int code, const std::string& prefix, const Refusal& refusal,
                  ChipCode chipCode, const uint8_t* version) {
  std::string sentence = prefix + RefusalSentence(refusal, chipCode, version);
  if (&refusal == &kNewerFirmwareRefusal) {
    sentence +=
        "; to write this tool's older firmware anyway, name the enclosure with --device "
        "and add --allow-older";
  }
  if (&refusal == &kStandInRefusal) {
    sentence += std::string(
                    "; it updates the virtual enclosure only (--simulate). To update this "
                    "enclosure, build tq214 with the real image: cmake -DTQ214_FIRMWARE_IMAGE=") +
                kRealImageExample;
  }
  run.json.Member("refusal", refusal.name);
  return run.Fail(code, sentence);
}

std::string LockProblemSentence(const std::string& problem) {
  return problem + "; no update without the enclosure's lock";
}

int ReportLockProblem(CommandRun& run, const std::string& problem) {
  run.json.Member("refusal", "lock-unsafe");
  return run.Fail(kExitFailure, LockProblemSentence(problem));
}
