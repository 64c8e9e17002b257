#include "cli/enclosure/ChosenEnclosure.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "IDEAccess/ChipIdentification.h"
#include "cli/ExitCodes.h"
#include "cli/enclosure/CandidateReport.h"
#include "cli/enclosure/DeviceChoice.h"
#include "cli/enclosure/RefusalReport.h"
#include "cli/text/DeviceText.h"
#include "engine/FirmwareVersion.h"
#include "seams/Seams.h"

namespace {

constexpr char kNoDeviceText[] = "No available device !!";
constexpr char kSeveralText[] = "Multiple USB hard drives are attached.";

int AccessFailure(CommandRun& run, const std::string& path, uint32_t code) {
  return run.Fail(kExitFailure, run.host.ShownPath(path) + ": " + run.host.AccessAdvice(code));
}

// Several enclosures where one is wanted: each listed, none chosen.
int Several(CommandRun& run, const std::string& heading,
            const std::vector<const Candidate*>& devices, const std::string& error) {
  run.text() << EscapeControlBytes(heading) << ":\n";
  run.json.Key("devices").BeginArray();
  for (const Candidate* device : devices) {
    run.text() << "  " << CandidateLine(*device, run.host) << '\n';
    WriteCandidate(run.json, *device, run.host);
  }
  run.json.EndArray();
  return run.Fail(kExitNoDevice, error + " Choose one with --device PATH.");
}

int NotChosen(CommandRun& run, const DeviceChoice& choice,
              const std::vector<Candidate>& candidates) {
  switch (choice.outcome) {
    case ChoiceOutcome::kSeveral:
      return Several(run, "TBR640 enclosures attached", choice.tbr640s, kSeveralText);
    case ChoiceOutcome::kSeveralNamed:
      return Several(run, "Enclosures named " + run.args.device, choice.named,
                     run.args.device + " names " + std::to_string(choice.named.size()) +
                         " enclosures (bridges may repeat a serial number).");
    case ChoiceOutcome::kNotFound:
      return run.Fail(kExitNoDevice,
                      run.args.device + ": no disk behind a bridge by that name (tq214 list)");
    default:
      break;
  }
  // Nothing to work on: say why, access first.
  if (run.access.refused()) {
    return AccessFailure(run, run.access.path(), run.access.code());
  }
  std::string message = std::string(kNoDeviceText) + " No TBR640 enclosure found";
  if (!candidates.empty()) {
    message += "; other bridges:";
    for (const Candidate& other : candidates) {
      message += " " + other.shown + " (family " + std::to_string(FamilyCodeOf(other.code)) + ")";
    }
  }
  return run.Fail(kExitNoDevice, message + ".");
}

// A raw device path that did not answer the bridge's probe: refused access,
// nothing there, or no bridge.
int RawPathRefused(CommandRun& run, const std::string& path) {
  if (run.access.Refused(path)) return AccessFailure(run, path, run.access.code());
  if (!run.access.Opened(path)) {
    return run.Fail(kExitNoDevice, path + ": the device does not open (" +
                                       run.host.ErrorText(run.access.OpenError(path)) + ")");
  }
  return run.Fail(kExitNoDevice,
                  path + ": " + kNoDeviceText + " It does not answer the bridge's probe.");
}

// The chosen enclosure's lock: taken (kTake) or looked at (kTest). False
// when it is not to be read, with the refusal reported in `code`.
bool MayRead(CommandRun& run, ChosenEnclosure& enclosure, LockUse use, int* code) {
  const Candidate& device = *enclosure.device;
  bool busy = device.lock.busy();
  if (!busy) {
    // A reader holds it shared through its reading.
    EnclosureLock lock = use == LockUse::kTake
                             ? ActiveSystemGuards().LockEnclosure(device.path.c_str())
                             : ActiveSystemGuards().ShareEnclosure(device.path.c_str());
    if (lock.refused()) {
      enclosure.refusal = LockProblemSentence(lock.problem);
      *code = ReportLockProblem(run, lock.problem);
      return false;
    }
    busy = !lock.taken();
    enclosure.lock = std::move(lock.guard);
  }
  if (!busy) return true;
  enclosure.refusal = RefusalSentence(kEnclosureBusyRefusal);
  *code = use == LockUse::kTake
              ? ReportRefusal(run, kExitFailure, device.shown + ": ", kEnclosureBusyRefusal)
              : run.Fail(kExitFailure, device.shown + ": " + kBeingUpdatedText);
  return false;
}

int Refused(CommandRun& run, ChosenEnclosure& enclosure, ReadingOutcome outcome) {
  const Candidate& device = *enclosure.device;
  enclosure.forbidden = true;
  if (run.access.Refused(device.path)) {
    enclosure.refusal = run.host.AccessAdvice(run.access.code());
    return AccessFailure(run, device.path, run.access.code());
  }
  enclosure.refusal = RefusalSentence(RefusalFor(outcome), enclosure.reading.chipCode);
  const int code = outcome == ReadingOutcome::kNotTbr640 ? kExitNoDevice : kExitFailure;
  return ReportRefusal(run, code, device.shown + ": " + kNoDeviceText + " ", RefusalFor(outcome),
                       enclosure.reading.chipCode);
}

}  // namespace

int ChooseAndRead(CommandRun& run, ChosenEnclosure* enclosure, LockUse use) {
  enclosure->candidates = FindCandidates(run.host, use);
  if (const Candidate* unsafe = FirstLockProblem(enclosure->candidates)) {
    return ReportLockProblem(run, unsafe->lock.problem);
  }
  const std::string& wanted = run.args.device;
  DeviceChoice choice =
      ChooseDevice(enclosure->candidates, wanted, run.host.TakesRawDevicePaths(),
                   [&run](const std::string& text) { return run.host.ResolveUserPath(text); });
  if (choice.outcome == ChoiceOutcome::kRawPath) {
    // A disk the interface list missed: probed as the listed ones were, and
    // then read and judged as any chosen device, before anything is written.
    std::optional<Candidate> raw = ProbeRawPath(run.host, wanted, use);
    if (!raw) return RawPathRefused(run, wanted);
    if (raw->lock.refused()) return ReportLockProblem(run, raw->lock.problem);
    enclosure->candidates.push_back(std::move(*raw));
    choice.tbr640s.clear();  // they pointed into the vector before it grew
    choice.device = &enclosure->candidates.back();
    choice.outcome = ChoiceOutcome::kChosen;
  }
  if (choice.outcome != ChoiceOutcome::kChosen) {
    return NotChosen(run, choice, enclosure->candidates);
  }
  enclosure->device = choice.device;
  const Candidate& device = *choice.device;
  run.text() << "Device: " << EscapeControlBytes(device.shown) << "  " << device.bus << "  "
             << SerialText(device.serial) << "  "
             << (device.lock.busy() ? kBeingUpdatedText
                                    : "\"" + EscapeDeviceText(device.identification) + "\"")
             << "\n";
  run.json.Key("device");
  WriteCandidate(run.json, device, run.host);
  int refused = kExitSuccess;
  if (!MayRead(run, *enclosure, use, &refused)) return refused;

  const ReadingOutcome outcome = ReadDevice(device.path.c_str(), &enclosure->reading);
  enclosure->chipInfoRead = ReadsChipInfo(outcome);
  // What was read may be half of another unit's.
  if (device.span && !device.span->StillThere()) {
    enclosure->refusal = kEnclosureChangedText;
    return run.Fail(kExitFailure, device.shown + ": " + kEnclosureChangedText);
  }
  if (outcome != ReadingOutcome::kRead) return Refused(run, *enclosure, outcome);
  BuildIdentityLines(enclosure->reading.block, enclosure->reading.chipInfo.data(),
                     &enclosure->lines);
  enclosure->verdict = VerdictOf(enclosure->lines.upToDate, enclosure->version());
  return kExitSuccess;
}

void ShowIdentity(CommandRun& run, const ChosenEnclosure& enclosure) {
  const IdentityLines& lines = enclosure.lines;
  for (const std::string& line : lines.lines) run.text() << EscapeDeviceText(line) << '\n';

  const ConfigBlock& block = enclosure.reading.block;
  char id[8];
  run.json.Key("lines").BeginArray();
  for (const std::string& line : lines.lines) run.json.String(line);
  run.json.EndArray();
  std::snprintf(id, sizeof id, "%04X", VendorIdOf(block));
  run.json.Member("vid", id);
  std::snprintf(id, sizeof id, "%04X", ProductIdOf(block));
  run.json.Member("pid", id)
      .Member("manufacturer", lines.manufacturer)
      .Member("product", lines.product)
      .Member("disk", lines.disk)
      .Member("firmwareVersion", FirmwareVersionText(enclosure.version()))
      .Member("upToDate", lines.upToDate)
      .Member("verdict", VerdictText(enclosure.verdict));
}
