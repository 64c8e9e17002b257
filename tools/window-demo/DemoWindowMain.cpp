// Tessaloft_Orvexa_TQ-214_demo.exe: the updater window, the same program as
// Tessaloft_Orvexa_TQ-214.exe, over a ready-made virtual machine instead of
// the system's disks. The virtual enclosure takes a real one's time to store
// the firmware and re-enumerates after an update.
//
// usage: Tessaloft_Orvexa_TQ-214_demo.exe [--scenario NAME] [--piece-ms N]
//                                         [--record FILE | --replay FILE]
//                                         [--single-instance]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "platform/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/gui/CommonControls.h"
#include "platform/win32/gui/SingleInstance.h"
#include "platform/win32/gui/UpdaterWindow.h"
#include "platform/win32/gui/Win32WindowShell.h"
#include "platform/win32/gui/WindowMessages.h"
#include "session/SessionSeams.h"
#include "sim/Scenarios.h"
#include "window-demo/DemoOptions.h"
#include "window-demo/EnclosurePace.h"
#include "window-demo/Replug.h"

namespace {

constexpr char kProgramName[] = "Tessaloft_Orvexa_TQ-214_demo";
// A name of its own: a demo never keeps the real program from starting, nor
// the real program a demo.
constexpr char kInstanceName[] = "Local\\Tessaloft.TQ214.UpdaterDemo";
constexpr DWORD kFirstWindowLimitMs = 10000;
constexpr int kUsageError = 2;
// Another program holds the single-instance name and shows no window.
constexpr int kNameHeldElsewhere = 3;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // As the release window: it asks for administrator rights too, and may be
  // started from any folder.
  LoadDllsFromSystemFolderOnly(kDrawingDlls, std::size(kDrawingDlls));
  DemoOptions options;
  std::string error;
  if (!ParseDemoOptions(__argc, __argv, &options, &error)) {
    const std::string text = error + "\n\n" + DemoUsage();
    std::fprintf(stderr, "%s\n", text.c_str());
    MessageBoxA(nullptr, text.c_str(), kProgramName, MB_OK | MB_ICONERROR);
    return kUsageError;
  }
  const SingleInstance oneWindow(options.singleInstance ? kInstanceName : nullptr);
  if (oneWindow.another()) {
    if (BringRunningWindowForward(kMainWindowClass, kFirstWindowLimitMs)) return 0;
    SayHeldWithoutWindow(kProgramName, kInstanceName);
    return kNameHeldElsewhere;
  }

  static VirtualMachine machine;
  BuildScenario(options.scenario, machine);
  static Win32WindowShell shell;
  Seams seams = Win32PlatformSeams();
  seams.scsi = &machine;
  seams.disks = &machine;
  seams.volumes = &machine;
  seams.shell = &shell;
  static SessionSeams session;
  const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  const bool sessionOk = options.replay.empty() ? options.record.empty() ||
                                                      session.Record(options.record, kProgramName,
                                                                     arguments, &seams, &error)
                                                : session.Replay(options.replay, &seams, &error);
  if (!sessionOk) {
    std::fprintf(stderr, "%s\n", error.c_str());
    MessageBoxA(nullptr, error.c_str(), kProgramName, MB_OK | MB_ICONERROR);
    return kUsageError;
  }
  InstallSeams(seams);

  int code = 0;
  RunShowingExceptions(kProgramName, [&] {
    // A replayed session has no machine to pace or to plug in again.
    const bool onMachine = options.replay.empty();
    EnclosurePace pace(machine, onMachine ? options.writePieceMs : 0, options.readPieceMs);
    Replug replug(machine, shell);
    pace.onUpdated = [&replug](const std::string& path) { replug.Reenumerate(path); };
    pace.onVanished = [&replug](const std::string& path) { replug.Vanished(path); };
    if (onMachine) pace.Install();

    UpdaterWindow window(shell);
    // A virtual machine's updates reach the event log only when asked, as
    // tq214's do.
    const char* journal = std::getenv("TQ214_JOURNAL");
    if (journal != nullptr && std::string(journal) == "1") window.view().ReportAttemptsToEventLog();
    if (!window.Open(instance)) return 0;
    if (onMachine) replug.Create(instance, window.view().window());
    window.Show(showCommand);
    code = window.RunMessageLoop();
    machine.SetAfterCommand(nullptr);
    return code;
  });
  // Where a replay left its session, on standard error for whoever runs it.
  const std::string verdict = session.Verdict();
  if (!verdict.empty()) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, verdict.c_str());
    return 1;
  }
  return code;
}
