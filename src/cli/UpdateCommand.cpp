// tq214 update: the window's update, on the command line. The enclosure must
// have passed the device-information run; the configuration block is
// rewritten only after a download that was read back equal.

#include <cctype>
#include <memory>
#include <string>

#include "IDEAccess/FirmwareImage.h"
#include "Tessaloft_main/ConfigBlock.h"
#include "Tessaloft_main/FirmwareDownload.h"
#include "cli/Commands.h"
#include "cli/DeviceSession.h"
#include "cli/ExitCodes.h"
#include "cli/Progress.h"

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

  ShowPlan(session);
  if (!session.args.yes && !Confirmed(session)) {
    session.text() << "Nothing done.\n";
    return kExitDeclined;
  }

  const std::string& path = enclosure.device->path;
  std::unique_ptr<ProgressView> view = MakeView(session);
  ProgressFeed progress(view.get());
  const bool downloaded = UpdateFirmware(path.c_str(), &progress);
  bool outcome = false;
  if (downloaded) {
    progress.Configuration(0);
    outcome = PatchConfigBlock(path.c_str());
    if (outcome) progress.Configuration(1);
  }
  progress.End();

  session.text() << (outcome ? "PASS\n" : "FAIL\n");
  session.json.Member("result", outcome ? "PASS" : "FAIL");
  if (outcome) {
    session.text() << "Reconnect the enclosure to start the new firmware.\n";
    return kExitSuccess;
  }
  std::string why = downloaded ? "the configuration block could not be written and verified"
                               : "the firmware could not be written and read back equal; the "
                                 "configuration block was left as it was";
  if (session.access.Refused(path))
    why += " (" + session.host.AccessAdvice(session.access.code()) + ")";
  return session.Fail(kExitFailure, enclosure.device->shown + ": " + why);
}
