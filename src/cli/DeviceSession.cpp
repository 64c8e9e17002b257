#include "cli/DeviceSession.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "IDEAccess/ChipIdentification.h"
#include "cli/DeviceChoice.h"
#include "cli/DeviceReport.h"
#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"

namespace {

constexpr char kNoDeviceText[] = "No available device !!";
constexpr char kSeveralText[] = "Multiple USB hard drives are attached.";

int AccessFailure(CliSession& session, const std::string& path, uint32_t code) {
  return session.Fail(kExitFailure,
                      session.host.ShownPath(path) + ": " + session.host.AccessAdvice(code));
}

int NotChosen(CliSession& session, const DeviceChoice& choice,
              const std::vector<Candidate>& candidates) {
  switch (choice.outcome) {
    case ChoiceOutcome::kSeveral: {
      session.text() << "TBR640 enclosures attached:\n";
      session.json.Key("devices").BeginArray();
      for (const Candidate* device : choice.tbr640s) {
        session.text() << "  " << CandidateLine(*device, session.host) << '\n';
        WriteCandidate(session.json, *device, session.host);
      }
      session.json.EndArray();
      return session.Fail(kExitNoDevice,
                          std::string(kSeveralText) + " Choose one with --device PATH.");
    }
    case ChoiceOutcome::kNotFound:
      return session.Fail(kExitNoDevice, session.args.device +
                                             ": no disk behind a bridge by that name (tq214 list)");
    default:
      break;
  }
  // Nothing to work on: say why, access first.
  if (session.access.refused()) {
    return AccessFailure(session, session.access.path(), session.access.code());
  }
  std::string message = std::string(kNoDeviceText) + " No TBR640 enclosure found";
  if (!candidates.empty()) {
    message += "; other bridges:";
    for (const Candidate& other : candidates) {
      message += " " + other.shown + " (family " + std::to_string(FamilyCodeOf(other.code)) + ")";
    }
  }
  return session.Fail(kExitNoDevice, message + ".");
}

// A raw device path that did not answer the bridge's probe: refused access,
// nothing there, or no bridge.
int RawPathRefused(CliSession& session, const std::string& path) {
  if (session.access.Refused(path)) return AccessFailure(session, path, session.access.code());
  if (!session.access.Opened(path)) {
    return session.Fail(kExitNoDevice, path + ": the device does not open (" +
                                           session.host.ErrorText(session.access.OpenError(path)) +
                                           ")");
  }
  return session.Fail(kExitNoDevice,
                      path + ": " + kNoDeviceText + " It does not answer the bridge's probe.");
}

int Refused(CliSession& session, const ReadEnclosure& enclosure, ReadingOutcome outcome) {
  const Candidate& device = *enclosure.device;
  if (session.access.Refused(device.path)) {
    return AccessFailure(session, device.path, session.access.code());
  }
  std::string why;
  int code = kExitFailure;
  const char* reason = "";
  switch (outcome) {
    case ReadingOutcome::kNotTbr640:
      why = "its bridge is of family " + std::to_string(FamilyCodeOf(enclosure.reading.chipCode)) +
            ", not a TBR640 (family 19)";
      reason = "not-tbr640";
      code = kExitNoDevice;
      break;
    case ReadingOutcome::kNoFlashIndex:
      why = "the bridge did not answer the flash index command";
      reason = "no-flash-index";
      break;
    case ReadingOutcome::kNoChipInfo:
      why = "the chip information could not be read or lacks its signature";
      reason = "no-chip-information";
      break;
    case ReadingOutcome::kInternalCode:
      why = std::string(RefusalReasonText(outcome)) +
            " (the bridge runs its internal code, which this tool does not update)";
      reason = "internal-code";
      break;
    case ReadingOutcome::kNoConfigBlock:
      why =
          std::string(RefusalReasonText(outcome)) + " (the configuration block could not be read)";
      reason = "nvram-fail";
      break;
    case ReadingOutcome::kRead:
      break;
  }
  session.json.Member("refusal", reason);
  return session.Fail(code, device.shown + ": " + kNoDeviceText + " " + why);
}

std::string VersionText(const uint8_t* v) {
  char text[24];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", v[0], v[1], v[2], v[3]);
  return text;
}

}  // namespace

int ChooseAndRead(CliSession& session, ReadEnclosure* enclosure) {
  enclosure->candidates = FindCandidates(session.host);
  const std::string wanted = session.args.device.empty()
                                 ? std::string()
                                 : session.host.ResolveUserPath(session.args.device);
  DeviceChoice choice =
      ChooseDevice(enclosure->candidates, wanted, session.host.TakesRawDevicePaths());
  if (choice.outcome == ChoiceOutcome::kRawPath) {
    // A disk the interface list missed: probed as the listed ones were, and
    // then read and judged as any chosen device, before anything is written.
    std::optional<Candidate> raw = ProbeRawPath(session.host, wanted);
    if (!raw) return RawPathRefused(session, wanted);
    enclosure->candidates.push_back(std::move(*raw));
    choice.tbr640s.clear();  // they pointed into the vector before it grew
    choice.device = &enclosure->candidates.back();
    choice.outcome = ChoiceOutcome::kChosen;
  }
  if (choice.outcome != ChoiceOutcome::kChosen) {
    return NotChosen(session, choice, enclosure->candidates);
  }
  enclosure->device = choice.device;
  const Candidate& device = *choice.device;
  session.text() << "Device: " << device.shown << "  " << device.bus << "  \""
                 << EscapeDeviceText(device.identification) << "\"\n";
  session.json.Key("device");
  WriteCandidate(session.json, device, session.host);

  const ReadingOutcome outcome = ReadDevice(device.path.c_str(), &enclosure->reading);
  if (outcome != ReadingOutcome::kRead) return Refused(session, *enclosure, outcome);
  BuildIdentityLines(enclosure->reading.block, enclosure->reading.chipInfo.data(),
                     &enclosure->lines);
  return kExitSuccess;
}

void ShowIdentity(CliSession& session, const ReadEnclosure& enclosure) {
  const IdentityLines& lines = enclosure.lines;
  for (const std::string& line : lines.lines) session.text() << EscapeDeviceText(line) << '\n';

  const ConfigBlock& block = enclosure.reading.block;
  char id[8];
  session.json.Key("lines").BeginArray();
  for (const std::string& line : lines.lines) session.json.String(line);
  session.json.EndArray();
  std::snprintf(id, sizeof id, "%04X", VendorIdOf(block));
  session.json.Member("vid", id);
  std::snprintf(id, sizeof id, "%04X", ProductIdOf(block));
  session.json.Member("pid", id)
      .Member("manufacturer", lines.manufacturer)
      .Member("product", lines.product)
      .Member("disk", lines.disk)
      .Member("firmwareVersion", VersionText(enclosure.reading.chipInfo.data() + kChipInfoVersion))
      .Member("upToDate", lines.upToDate);
}
