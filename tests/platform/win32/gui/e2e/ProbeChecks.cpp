#include "ProbeChecks.h"

#include <algorithm>
#include <cstdio>

#include "ProbeRun.h"
#include "ProbeWindow.h"

namespace {

constexpr char kNewVersionLine[] = "Chip FW Version[  21.32.00.03  ] Up to date";
// Long enough for every look at the frame to happen while the update writes.
constexpr char kSlowUpdate[] = " --scenario outdated --piece-ms 100";
// Steps of the system's move loop by keyboard.
constexpr int kMoveSteps = 3;

std::string Command(const std::string& program, const std::string& arguments) {
  return "\"" + WindowsPath(program) + "\"" + arguments;
}

// Makes `window` the foreground window, where typed keys go.
bool Foreground(HWND window) {
  return Watch(
      [window] {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
      },
      kEndLimitMs);
}

std::string Name(HWND focus, const UpdaterHandles& w) {
  if (focus == nullptr) return "nothing";
  if (focus == w.main) return "the window";
  if (focus == w.update) return "Update";
  char name[64] = {};
  GetClassNameA(focus, name, sizeof name);
  return std::string("a window of class ") + name;
}

// Waits for the focus to come to `expected`; reports where it is.
void ExpectFocus(Checks& checks, const UpdaterHandles& w, HWND expected, const std::string& when) {
  const bool came = Watch([&] { return FocusOf(w.main) == expected; }, kEndLimitMs);
  checks.Expect(came, when + " the focus is on " + Name(FocusOf(w.main), w));
}

DWORD GuiFlags(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return 0;
  return info.flags;
}

// A menu of the thread of `window` is open (Wine marks only GUI_INMENUMODE).
bool MenuOpen(HWND window) {
  if ((GuiFlags(window) & GUI_INMENUMODE) == 0) return false;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  for (HWND menu = FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu != nullptr;
       menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) {
    if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == thread) return true;
  }
  return false;
}

// The update writes: no result yet, the bar shows.
bool Writing(const UpdaterHandles& w) {
  return !IsResult(Text(w.lines[2])) && IsWindowVisible(w.bar);
}

// While the update writes, the bar moves on from where it is now.
bool BarMovesOn(const UpdaterHandles& w) {
  const LRESULT from = BarPosition(w);
  return Watch([&] { return BarPosition(w) > from || !Writing(w); }, kResultLimitMs) && Writing(w);
}

RECT Place(HWND window) {
  RECT place = {};
  GetWindowRect(window, &place);
  return place;
}

// Starts the demo and brings its window to the foreground; false when no
// window came (the demo has then ended).
bool StartInFront(const std::string& command, Checks* checks, PROCESS_INFORMATION* process,
                  UpdaterHandles* w) {
  if (!Start(command, process)) {
    checks->Expect(false, "the demo starts");
    return false;
  }
  const bool found = AwaitWindow(*process, w);
  checks->Expect(found, "the demo window appears");
  if (!found) {
    AwaitEnd(process, 0);
    return false;
  }
  checks->Expect(Foreground(w->main), "the window is in the foreground");
  return true;
}

std::string Where(const RECT& place) {
  return std::to_string(place.left) + "," + std::to_string(place.top);
}

}  // namespace

int KeysCheck(const std::string& demo) {
  Checks checks;
  PROCESS_INFORMATION process = {};
  UpdaterHandles w;
  if (!StartInFront(Command(demo, " --scenario outdated --piece-ms 20"), &checks, &process, &w))
    return checks.Verdict();
  ExpectFocus(checks, w, w.update, "at the start");

  // Update is the only control shown and enabled: Tab comes back to it.
  Type({VK_TAB});
  ExpectFocus(checks, w, w.update, "after Tab");
  Type({VK_SHIFT, VK_TAB});
  ExpectFocus(checks, w, w.update, "after Shift+Tab");

  Type({VK_SPACE});
  UpdateMonitor watch;
  HWND focusDuring = nullptr;
  Watch(
      [&] {
        if (watch.sawBar && focusDuring == nullptr) focusDuring = FocusOf(w.main);
        return LookDuringUpdate(w, &watch);
      },
      kResultLimitMs);
  checks.Expect(watch.result == "PASS", "Space on Update: result \"" + watch.result + "\"");
  checks.Expect(focusDuring == w.main, "during the update the focus is on " + Name(focusDuring, w) +
                                           " (Update is disabled)");
  ExpectFocus(checks, w, w.main, "with the result");

  const bool upToDate = Watch([&] { return Text(w.lines[4]) == kNewVersionLine; }, kSettleLimitMs);
  checks.Expect(upToDate, "line 5 \"" + Text(w.lines[4]) + "\"");
  ExpectFocus(checks, w, w.main, "with Update hidden");

  checks.Expect(Foreground(w.main), "the window is in the foreground");
  Type({VK_MENU, VK_F4});
  const long code = AwaitEnd(&process, kEndLimitMs);
  checks.Expect(code == 0, "Alt+F4 closes it, exit code " + std::to_string(code));
  return checks.Verdict();
}

int DuringUpdateCheck(const std::string& demo) {
  Checks checks;
  PROCESS_INFORMATION process = {};
  UpdaterHandles w;
  if (!StartInFront(Command(demo, kSlowUpdate), &checks, &process, &w)) return checks.Verdict();

  PostMessageA(w.update, BM_CLICK, 0, 0);
  checks.Expect(Watch([&] { return Writing(w) && BarPosition(w) > 0; }, kResultLimitMs),
                "the update writes");

  // Moved by another program.
  const RECT before = Place(w.main);
  SetWindowPos(w.main, nullptr, before.left + 40, before.top + 30, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const bool moved = Watch([&] { return Place(w.main).left == before.left + 40; }, kEndLimitMs);
  checks.Expect(moved && Writing(w),
                "moved from " + Where(before) + " to " + Where(Place(w.main)) + " while it writes");

  // Moved by the system's move loop, as the title bar or the system menu's
  // Move do, here by keyboard; the bar moves on meanwhile.
  const RECT beforeLoop = Place(w.main);
  PostMessageA(w.main, WM_SYSCOMMAND, SC_MOVE, 0);
  const bool inLoop = Watch([&] { return (GuiFlags(w.main) & GUI_INMOVESIZE) != 0; }, kEndLimitMs);
  checks.Expect(inLoop && Writing(w), "the system's move loop runs while it writes");
  checks.Expect(inLoop && BarMovesOn(w), "the bar moves on during the move loop");
  // A key at a time, each once the loop has acted on the one before: Wine's
  // loop drops arrows that come while it moves the pointer.
  bool stepped = inLoop;
  for (int i = 0; i < kMoveSteps && stepped; ++i) {
    const LONG from = Place(w.main).left;
    Type({VK_RIGHT});
    stepped = Watch([&] { return Place(w.main).left > from; }, kEndLimitMs);
  }
  Type({VK_RETURN});
  const bool loopEnded =
      Watch([&] { return (GuiFlags(w.main) & GUI_INMOVESIZE) == 0; }, kEndLimitMs);
  const RECT afterLoop = Place(w.main);
  checks.Expect(stepped && loopEnded && afterLoop.left > beforeLoop.left && Writing(w),
                "the move loop moved it from " + Where(beforeLoop) + " to " + Where(afterLoop) +
                    " while it writes");

  // Minimised and restored.
  PostMessageA(w.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  const bool minimised = Watch([&] { return IsIconic(w.main) != FALSE; }, kEndLimitMs);
  checks.Expect(minimised && Writing(w), "minimised while it writes");
  checks.Expect(minimised && BarMovesOn(w) && IsIconic(w.main), "the bar moves on, minimised");
  PostMessageA(w.main, WM_SYSCOMMAND, SC_RESTORE, 0);
  const bool restored = Watch([&] { return IsIconic(w.main) == FALSE; }, kEndLimitMs);
  checks.Expect(restored && Writing(w), "restored while it writes");

  // The system menu opens, the bar moves on under it, and its Close is
  // refused.
  checks.Expect(Foreground(w.main), "the window is in the foreground");
  PostMessageA(w.main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
  const bool menu = Watch([&] { return MenuOpen(w.main); }, kEndLimitMs);
  checks.Expect(menu && Writing(w), "the system menu opens while it writes");
  checks.Expect(menu && BarMovesOn(w), "the bar moves on under the menu");
  Type({'C'});  // the menu's "Close"
  const bool menuGone = Watch([&] { return !MenuOpen(w.main); }, kEndLimitMs);
  checks.Expect(menuGone && IsWindow(w.main) && Writing(w),
                "the menu's Close is refused: the window stays");

  // The other ways to ask it to close.
  PostMessageA(w.main, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(w.main, WM_CLOSE, 0, 0);
  checks.Expect(Foreground(w.main), "the window is in the foreground");
  Type({VK_MENU, VK_F4});
  checks.Expect(BarMovesOn(w), "the bar moves on after SC_CLOSE, WM_CLOSE and Alt+F4");

  UpdateMonitor watch;
  Watch([&] { return LookDuringUpdate(w, &watch); }, kResultLimitMs);
  checks.Expect(watch.result == "PASS", "result \"" + watch.result + "\"");
  checks.Expect(IsWindow(w.main) && Text(w.lines[2]) == "PASS",
                "the window stays with its result: no close was kept for later");
  const bool upToDate = Watch([&] { return Text(w.lines[4]) == kNewVersionLine; }, kSettleLimitMs);
  checks.Expect(
      upToDate && IsWindow(w.main),
      "it is still there when the enclosure is back: line 5 \"" + Text(w.lines[4]) + "\"");

  PostMessageA(w.main, WM_CLOSE, 0, 0);
  const long code = AwaitEnd(&process, kEndLimitMs);
  checks.Expect(code == 0, "closed afterwards, exit code " + std::to_string(code));
  return checks.Verdict();
}

int SecondStartCheck(const std::string& program, const std::string& arguments) {
  Checks checks;
  const std::string command = Command(program, arguments.empty() ? "" : " " + arguments);
  PROCESS_INFORMATION first = {};
  if (!Start(command, &first)) return 1;
  UpdaterHandles w;
  const bool found = AwaitWindow(first, &w);
  checks.Expect(found, "the first window appears");
  if (!found) {
    AwaitEnd(&first, 0);
    return checks.Verdict();
  }
  PostMessageA(w.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  checks.Expect(Watch([&] { return IsIconic(w.main) != FALSE; }, kEndLimitMs),
                "the first window is minimised");

  PROCESS_INFORMATION second = {};
  if (!Start(command, &second)) return 1;
  int windows = 0;
  Watch(
      [&] {
        windows = std::max(windows, CountUpdatersOf(second.dwProcessId));
        return WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0;
      },
      kStartLimitMs);
  const long secondCode = AwaitEnd(&second, 0);
  checks.Expect(secondCode == 0, "the second start ends, exit code " + std::to_string(secondCode));
  checks.Expect(windows == 0, "the second start made " + std::to_string(windows) + " window(s)");
  checks.Expect(Watch([&] { return IsIconic(w.main) == FALSE; }, kEndLimitMs),
                "the first window is restored");
  checks.Expect(Watch([&] { return GetForegroundWindow() == w.main; }, kEndLimitMs),
                "the first window is in the foreground");

  const std::string single = "--single-instance";
  const size_t option = arguments.find(single);
  if (option != std::string::npos) {
    std::string without = arguments;
    without.erase(option, single.size());
    PROCESS_INFORMATION beside = {};
    if (!Start(Command(program, " " + without), &beside)) return 1;
    UpdaterHandles other;
    const bool opened = AwaitWindow(beside, &other);
    checks.Expect(opened && other.main != w.main,
                  "started without " + single + ", it opens a window beside the first");
    if (opened) PostMessageA(other.main, WM_CLOSE, 0, 0);
    const long code = AwaitEnd(&beside, kEndLimitMs);
    checks.Expect(code == 0, "that one closes, exit code " + std::to_string(code));
  }

  PostMessageA(w.main, WM_CLOSE, 0, 0);
  const long code = AwaitEnd(&first, kEndLimitMs);
  checks.Expect(code == 0, "the first closes, exit code " + std::to_string(code));
  return checks.Verdict();
}
