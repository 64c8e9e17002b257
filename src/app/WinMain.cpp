// Tessaloft_Orvexa_TQ-214.exe: the updater window over the system's disks.
// It takes one option, for support: --record FILE writes everything the run
// asks of the system and every answer into FILE (a session file). Started
// while it runs already in the session, it brings the running window to the
// front and ends.

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/WriteGuard.h"
#include "platform/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/gui/CommonControls.h"
#include "platform/win32/gui/SingleInstance.h"
#include "platform/win32/gui/UpdaterWindow.h"
#include "platform/win32/gui/Win32WindowShell.h"
#include "platform/win32/gui/WindowMessages.h"
#include "session/SessionSeams.h"

namespace {

constexpr char kProgramName[] = "Tessaloft_Orvexa_TQ-214";
constexpr char kInstanceName[] = "Local\\Tessaloft.TQ214.Updater";
// How long a second start waits for the first one's window to show.
constexpr DWORD kFirstWindowLimitMs = 10000;
constexpr int kUsageError = 2;
// Another program holds the single-instance name and shows no window.
constexpr int kNameHeldElsewhere = 3;

// The write guard's test switch, read where the program starts (a stand-in
// build only): its value is "1" or something else, never more than a few
// letters.
void GiveStandInSwitch() {
  const char* name = StandInSwitchVariable();
  if (name == nullptr) return;
  char value[8] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  SetStandInSwitch(length > 0 && length < sizeof value ? value : "");
}

}  // namespace

// wWinMain (-municode): the arguments arrive as UTF-16, whatever the ANSI
// code page, and are taken as UTF-8, as the session's file name is opened.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  LoadDllsFromSystemFolderOnly(kDrawingDlls, std::size(kDrawingDlls));
  static Win32WindowShell shell;
  Seams seams = Win32PlatformSeams();
  seams.shell = &shell;

  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.push_back(Utf8FromWide(__wargv[i]));
  const bool record = arguments.size() == 2 && arguments[0] == "--record";
  if (!record && !arguments.empty()) {
    MessageBoxA(nullptr, "usage: Tessaloft_Orvexa_TQ-214.exe [--record FILE]", kProgramName,
                MB_OK | MB_ICONERROR);
    return kUsageError;
  }
  // Before anything is recorded: a second start records nothing.
  const SingleInstance oneWindow(kInstanceName);
  if (oneWindow.another()) {
    if (BringRunningWindowForward(kMainWindowClass, kFirstWindowLimitMs)) return 0;
    SayHeldWithoutWindow(kProgramName, kInstanceName);
    return kNameHeldElsewhere;
  }
  static SessionSeams session;
  std::string error;
  if (record) {
    if (!session.Record(arguments[1], kProgramName, arguments, &seams, &error)) {
      MessageBoxW(nullptr, WideFromUtf8(error).c_str(), WideFromUtf8(kProgramName).c_str(),
                  MB_OK | MB_ICONERROR);
      return kUsageError;
    }
  }
  InstallSeams(seams);
  GiveStandInSwitch();
  RunShowingExceptions(kProgramName, [&] {
    UpdaterWindow window(shell);
    window.view().ReportAttemptsToEventLog();
    if (!window.Open(instance)) return 0;
    window.Show(showCommand);
    return window.RunMessageLoop();
  });
  return 0;
}
