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
#include "cli/ExitCodes.h"
#include "cli/Progress.h"
#include "cli/UpdateWatch.h"

namespace {

void ShowPlan(CliSession& session) {
  const auto& v = TargetFirmwareVersion;
  session.text() << "The update will\n"
                 << "  1. write the firmware image (" << kFirmwareImageSize
                 << " bytes) into the bridge's download buffer\n"
                 << "     and read it back to verify it,\n"
                 << "  2. set the USB product text and the second part of the disk string to \""
                 << TargetProductText << "\".\n"
                 << "The new firmware (" << int{v[0]} << '.' << int{v[1]} << '.' << int{v[2]} << '.'
                 << int{v[3]} << ") starts when the enclosure is reconnected.\n"
                 << "DO NOT disconnect the device during the FW update.\n";
}

bool Confirmed(CliSession& session) {
  session.env.out << "Perform update? [y/N] ";
  session.env.out.flush();
  std::string answer;
  if (!std::getline(session.env.in, answer)) {
    session.env.out << '\n';
    return false;
  }
  std::string word;
  for (const char c : answer) {
    if (!std::isspace(static_cast<unsigned char>(c))) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return word == "y" || word == "yes";
}

// Where a customer's image is named at configure time, for the refusal.
constexpr char kRealImageExample[] = "/path/to/TBR640_ORVEXA.bin";

// The enclosure's file systems are flushed before the first write; a place
// that fails is said, and the update goes on.
void Flush(CliSession& session, const std::vector<std::string>& places) {
  session.json.Key("unflushed").BeginArray();
  for (const FlushFailure& failure : FlushFileSystems(places)) {
    session.Note("could not flush " + EscapeDeviceText(failure.place) + " before the update (" +
                 session.host.ErrorText(failure.error) + "); the update goes on");
    session.json.String(failure.place);
  }
  session.json.EndArray();
}

// "a", "a and b", "a, b and c".
std::string Enumeration(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return text;
}

void ReportHeld(CliSession& session, const std::vector<std::string>& held) {
  session.json.Key("heldRequests").BeginArray();
  for (const std::string& name : held) session.json.String(name);
  session.json.EndArray();
  if (held.empty()) return;
  session.Note(Enumeration(held) + (held.size() == 1 ? " was" : " were") +
               " held while the update ran; it ran to its end");
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
    return session.Fail(kExitFailure, enclosure.device->shown + ": " + refusal +
                                          "; it updates the virtual enclosure only (--simulate). "
                                          "To update this enclosure, build tq214 with the real "
                                          "image: cmake -DTQ214_FIRMWARE_IMAGE=" +
                                          kRealImageExample);
  }

  ShowPlan(session);
  if (!session.args.yes && !Confirmed(session)) {
    session.text() << "Nothing done.\n";
    return kExitDeclined;
  }

  const std::string& path = enclosure.device->path;
  Flush(session, enclosure.device->places);
  std::unique_ptr<ProgressView> view = MakeView(session);
  ProgressFeed progress(view.get());
  UpdateWatch watch(progress, session.env.hold, session.env.seconds);
  const bool downloaded = UpdateFirmware(path.c_str(), &watch);
  bool outcome = false;
  if (downloaded) {
    progress.Configuration(0);
    outcome = PatchConfigBlock(path.c_str());
    if (outcome) progress.Configuration(1);
  }
  progress.End();
  const std::vector<std::string> held =
      session.env.hold ? session.env.hold->End() : std::vector<std::string>();

  session.text() << (outcome ? "PASS\n" : "FAIL\n");
  session.json.Member("result", outcome ? "PASS" : "FAIL");
  ReportHeld(session, held);
  if (outcome) {
    session.text() << ReconnectAdvice(session.host, enclosure.device->places) << '\n';
    return kExitSuccess;
  }
  std::string why = downloaded ? "the configuration block could not be written and verified"
                               : "the firmware could not be written and read back equal; the "
                                 "configuration block was left as it was";
  if (session.access.Refused(path))
    why += " (" + session.host.AccessAdvice(session.access.code()) + ")";
  return session.Fail(kExitFailure, enclosure.device->shown + ": " + why);
}
