// Drives the demo updater window from outside, through the system only.
//
//   WindowProbe check DEMO.exe [PIECE_MS]
//       The end-to-end test: starts the demo on the outdated enclosure, checks
//       the caption, the client size and the styles, presses Update, and
//       watches the lines until "PASS" and then until the re-enumerated
//       enclosure shows "Up to date"; at every look the window must answer.
//       Through oleacc its controls are named as they show; the result line
//       announces "PASS" to assistive technology (the live-region event).
//       Closes it; its exit code must be 0. Exit code 0 when all held.
//   WindowProbe keys DEMO.exe
//       The window by keyboard: the focus starts on Update, Tab and Shift+Tab
//       keep it there (nothing else takes it), Space runs the update to
//       "PASS", the focus then rests on the window, and Alt+F4 closes it.
//   WindowProbe during-update DEMO.exe
//       The frame while the update writes: the window moves (SetWindowPos and
//       the system's move loop), minimises while the bar still moves,
//       restores, opens its system menu, and refuses every close (the system
//       menu's, WM_CLOSE, Alt+F4): the result stays on screen.
//   WindowProbe second-start PROGRAM.exe [ARGUMENTS]
//       Starts the program, minimises its window, starts it again: the second
//       ends at once with exit code 0 and no window of its own, the first is
//       restored and in the foreground. With --single-instance among the
//       arguments (the demo), a third start without it runs beside the first.
//   WindowProbe caption PROGRAM.exe
//       Starts the program, waits for its window, prints the caption and, on
//       a second line, the first line of the window once the program filled
//       it; closes it. Exit code 0 when the window appeared and the program
//       ended 0.
//   WindowProbe held PROGRAM.exe
//       Holds the release window's single-instance name, as a program that
//       squats it would, and starts the program: it must say so in a message
//       box (printed) and end with exit code 3 once the box is closed, not end
//       with nothing shown.
//   WindowProbe ready     waits for the window; prints its rectangle "X Y W H"
//   WindowProbe update    presses Update, waits for "PASS" or "FAIL"
//   WindowProbe settle    waits until a refresh replaced the result
//   WindowProbe close     closes the window and waits until it is gone

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ProbeAccess.h"
#include "ProbeChecks.h"
#include "ProbeRun.h"
#include "ProbeWindow.h"
#include "seams/ProgramVersion.h"

namespace {

const std::string kCaption = std::string("Tessaloft_Orvexa_TQ-214_v") + kProgramVersionText;
constexpr char kOldVersionLine[] = "Chip FW Version[  21.32.00.02  ]";
constexpr char kNewVersionLine[] = "Chip FW Version[  21.32.00.03  ] Up to date";

int Check(const std::string& demo, const std::string& pieceMs) {
  Checks checks;
  PROCESS_INFORMATION process = {};
  if (!Start("\"" + WindowsPath(demo) + "\" --scenario outdated --piece-ms " + pieceMs, &process)) {
    return 1;
  }
  UpdaterHandles w;
  const bool found =
      Watch(
          [&] {
            return FindUpdater(&w) || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
          },
          kStartLimitMs) &&
      w.main != nullptr;
  checks.Expect(found, "the demo window appears");
  if (!found) {
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return 1;
  }

  // The window itself.
  checks.Expect(Text(w.main) == kCaption, std::string("caption \"") + Text(w.main) + "\"");
  RECT client;
  GetClientRect(w.main, &client);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  checks.Expect(client.right == MulDiv(475, dpi, 96) && client.bottom == MulDiv(169, dpi, 96),
                "client area " + std::to_string(client.right) + " x " +
                    std::to_string(client.bottom) + " at " + std::to_string(dpi) + " dpi");
  const LONG style = GetWindowLongA(w.main, GWL_STYLE);
  checks.Expect(
      (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX),
      "caption, system menu and minimise box");
  checks.Expect(!(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME),
                "no maximise box, not resizable");

  // The outdated enclosure.
  checks.Expect(Text(w.lines[0]).rfind("VID[  ", 0) == 0, "line 1 \"" + Text(w.lines[0]) + "\"");
  checks.Expect(Text(w.lines[4]) == kOldVersionLine, "line 5 \"" + Text(w.lines[4]) + "\"");
  checks.Expect(IsWindowVisible(w.update) && IsWindowEnabled(w.update), "Update is offered");
  ExpectAccessibleNames(checks, w);

  // The update.
  LiveRegionEar ear(process.dwProcessId);
  PostMessageA(w.update, BM_CLICK, 0, 0);
  UpdateMonitor watch;
  Watch([&] { return LookDuringUpdate(w, &watch); }, kResultLimitMs);
  checks.Expect(watch.result == "PASS", "result \"" + watch.result + "\"");
  checks.Expect(watch.sawUpdating, "\"Updating.....\" was shown");
  checks.Expect(watch.sawBar && watch.highestBar > 0,
                "the progress bar showed, up to " + std::to_string(watch.highestBar));
  checks.Expect(Text(w.lines[0]).empty(), "line 1 empty with the result");
  checks.Expect(watch.unanswered == 0,
                "answered at all " + std::to_string(watch.looks) + " looks during the update");

  // Read out to assistive technology.
  Watch([&] { return !ear.heard().empty(); }, kEndLimitMs);
  const bool announced = ear.heard().size() == 1 && ear.heard()[0].window == w.lines[2];
  checks.Expect(announced && ear.heard()[0].text == "PASS",
                "announced once, by the third line: " + std::to_string(ear.heard().size()) +
                    " live-region event(s)" +
                    (ear.heard().empty() ? "" : ", first \"" + ear.heard()[0].text + "\""));

  // The enclosure re-enumerates with the new firmware.
  int unanswered = 0;
  int looks = 0;
  const bool upToDate = Watch(
      [&] {
        ++looks;
        std::string line5;
        if (!Answers(w.main) || !ReadText(w.lines[4], &line5)) {
          ++unanswered;
          return false;
        }
        return line5 == kNewVersionLine;
      },
      kSettleLimitMs);
  checks.Expect(upToDate, "line 5 \"" + Text(w.lines[4]) + "\"");
  checks.Expect(Text(w.lines[2]) == "USB Prod[  External USB-3.0  ]",
                "line 3 \"" + Text(w.lines[2]) + "\"");
  checks.Expect(!IsWindowVisible(w.update), "Update hidden");
  checks.Expect(unanswered == 0,
                "answered at all " + std::to_string(looks) + " looks after the update");

  // Closing.
  PostMessageA(w.main, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  checks.Expect(ended && code == 0, "closed, exit code " + std::to_string(code));
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);

  std::printf("%d check(s) failed\n", checks.failures());
  return checks.failures() == 0 ? 0 : 1;
}

int Caption(const std::string& program) {
  PROCESS_INFORMATION process = {};
  if (!Start("\"" + WindowsPath(program) + "\"", &process)) return 1;
  UpdaterHandles w;
  const bool found = Watch(
      [&] { return FindUpdater(&w) || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
      kStartLimitMs);
  if (!found || w.main == nullptr) {
    std::fprintf(stderr, "WindowProbe: no updater window appeared\n");
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return 1;
  }
  // The first line is filled once the program has looked for enclosures.
  Watch([&] { return !Text(w.lines[0]).empty(); }, kStartLimitMs);
  std::printf("%s\n%s\n", Text(w.main).c_str(), Text(w.lines[0]).c_str());
  // As the shell tells a window that its taskbar button exists (Wine's never
  // does): the window then takes the taskbar list, a COM server.
  SendMessageA(w.main, RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
  PostMessageA(w.main, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  return ended && code == 0 ? 0 : 1;
}

int HeldName(const std::string& program) {
  const HANDLE squat = CreateMutexA(nullptr, TRUE, "Local\\Tessaloft.TQ214.Updater");
  PROCESS_INFORMATION process = {};
  if (squat == nullptr || !Start("\"" + WindowsPath(program) + "\"", &process)) return 1;
  // The program first waits for the holder's window (10 s).
  constexpr DWORD kHeldLimitMs = 30000;
  HWND box = nullptr;
  Watch(
      [&] {
        box = FindWindowA("#32770", "Tessaloft_Orvexa_TQ-214");
        return box != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      },
      kHeldLimitMs);
  constexpr int kMessageBoxText = 0xFFFF;
  const std::string text = box != nullptr ? Text(GetDlgItem(box, kMessageBoxText)) : "";
  std::printf("%s\n", text.empty() ? "(no message box)" : text.c_str());
  if (box != nullptr) PostMessageA(box, WM_COMMAND, IDOK, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(squat);
  std::printf("exit code %lu\n", code);
  return ended && code == 3 && text.find("holds its name") != std::string::npos ? 0 : 1;
}

bool FindNow(UpdaterHandles* w) {
  if (FindUpdater(w)) return true;
  std::fprintf(stderr, "WindowProbe: no updater window\n");
  return false;
}

int Ready() {
  UpdaterHandles w;
  if (!Watch([&] { return FindUpdater(&w) && !Text(w.lines[0]).empty(); }, kStartLimitMs)) {
    std::fprintf(stderr, "WindowProbe: no updater window appeared\n");
    return 1;
  }
  RECT outer;
  GetWindowRect(w.main, &outer);
  std::printf("%ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  return 0;
}

int Update() {
  UpdaterHandles w;
  if (!FindNow(&w)) return 1;
  if (!IsWindowVisible(w.update) || !IsWindowEnabled(w.update)) {
    std::printf("no update offered: %s\n", Text(w.lines[0]).c_str());
    return 1;
  }
  PostMessageA(w.update, BM_CLICK, 0, 0);
  UpdateMonitor watch;
  if (!Watch([&] { return LookDuringUpdate(w, &watch); }, kResultLimitMs)) return 1;
  std::printf("%s (the window answered at %d of %d looks)\n", watch.result.c_str(),
              watch.looks - watch.unanswered, watch.looks);
  return 0;
}

int Settle() {
  UpdaterHandles w;
  if (!FindNow(&w)) return 1;
  const bool settled = Watch([&] { return !IsResult(Text(w.lines[2])); }, kSettleLimitMs);
  for (HWND line : w.lines) std::printf("  %s\n", Text(line).c_str());
  return settled ? 0 : 1;
}

int Close() {
  UpdaterHandles w;
  if (!FindNow(&w)) return 1;
  PostMessageA(w.main, WM_CLOSE, 0, 0);
  return Watch([] { return FindWindowA(nullptr, kCaption.c_str()) == nullptr; }, 20000) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "check" && argc > 2) return Check(argv[2], argc > 3 ? argv[3] : "20");
  if (mode == "keys" && argc > 2) return KeysCheck(argv[2]);
  if (mode == "during-update" && argc > 2) return DuringUpdateCheck(argv[2]);
  if (mode == "second-start" && argc > 2) {
    std::string arguments;
    for (int i = 3; i < argc; ++i) arguments += std::string(i > 3 ? " " : "") + argv[i];
    return SecondStartCheck(argv[2], arguments);
  }
  if (mode == "caption" && argc > 2) return Caption(argv[2]);
  if (mode == "held" && argc > 2) return HeldName(argv[2]);
  if (mode == "ready") return Ready();
  if (mode == "update") return Update();
  if (mode == "settle") return Settle();
  if (mode == "close") return Close();
  std::fprintf(
      stderr,
      "usage: WindowProbe check DEMO.exe [PIECE_MS] | keys DEMO.exe | during-update DEMO.exe |"
      " second-start PROGRAM.exe [ARGUMENTS] | caption PROGRAM.exe | held PROGRAM.exe | ready |"
      " update | settle |"
      " close\n");
  return 2;
}
