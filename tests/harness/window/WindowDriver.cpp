// tq214-window-driver.exe: the USB harness's hands and eyes on the updater
// window, from outside its process and through the system only. It reads the
// five lines, the device list and the Update button, presses Update, and
// finds, reads and dismisses the message box the window raises when several
// drives are attached. It touches nothing else of the window.
//
//   tq214-window-driver.exe COMMAND [ARGUMENT...]    one command, then ends
//   tq214-window-driver.exe serve COMMAND_FILE       the commands appended to
//       COMMAND_FILE, one a line, each answered "begin N", its output and
//       "end N STATUS": a Wine process costs seconds to start under emulation,
//       so the harness keeps one driver for its whole session.
//
// Commands (each prints key=value lines, then the window as it looks):
//   look                       the window
//   wait SECONDS LINE TEXT     until line LINE (1-5) starts with TEXT
//   update SECONDS             presses Update, then until line 3 is PASS or FAIL
//   box SECONDS                until the window's message box shows; its text
//                              and the device list then, and OK pressed
//   quit                       (serve) ends the driver
//
// The driver has a top-level window of its own, so it receives the
// WM_DEVICECHANGE broadcasts that every top-level window receives. A wait
// reports how many came while it waited and how long after the last of them
// the window's lines first changed: the window refreshes from a timer.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ProbeWindow.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

// Each look is a few requests to the Wine server, whose time the window's own
// work shares on the emulated machine: often enough to time a refresh to a
// few tens of milliseconds, no more often.
constexpr DWORD kLookMs = 20;
constexpr DWORD kCommandPollMs = 50;
// How long one question to the window's list may wait for its answer: a guard
// against a hang, generous for the emulated machine under load.
constexpr UINT kAnswerMs = 30000;
constexpr int kStatusOk = 0;
constexpr int kStatusFailed = 1;
constexpr int kStatusUsage = 2;
constexpr char kDriverClass[] = "Tessaloft.TQ214.HarnessDriver";
constexpr char kMessageBoxClass[] = "#32770";

// Milliseconds on the performance counter, which the device-change times and
// the looks share.
double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct DeviceChange {
  double atMs;
  WPARAM event;
};
std::vector<DeviceChange> g_deviceChanges;

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVICECHANGE) {
    g_deviceChanges.push_back({NowMs(), wParam});
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool CreateDriverWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DriverWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kDriverClass;
  if (!RegisterClassA(&windowClass)) return false;
  // Never shown: a hidden top-level window is still one of the windows a
  // broadcast goes to.
  return CreateWindowExA(0, kDriverClass, "tq214 harness driver", WS_OVERLAPPED, 0, 0, 0, 0,
                         nullptr, nullptr, windowClass.hInstance, nullptr) != nullptr;
}

// Handles what was sent or posted to the driver's window.
void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Sleeps up to `ms`, woken early by anything for the driver's window.
void PumpFor(DWORD ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
  Pump();
}

// The window's text as the system keeps it. For a window of another process
// GetWindowText asks no message of it, so a look while the window's thread
// is busy with the device neither waits nor fails.
std::string TextOf(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// Control characters shown as escapes: one value a line.
std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Looks every kLookMs until `done` holds or `limitMs` passed; the driver's
// own window is served between looks.
bool Watch(const std::function<bool()>& done, double limitMs) {
  const double start = NowMs();
  for (;;) {
    if (done()) return true;
    if (NowMs() - start >= limitMs) return false;
    PumpFor(kLookMs);
  }
}

// The items as the list holds them, asked for in UTF-16: asked across
// processes by an ANSI caller, Wine 8.0 gave "N" for "No available device!!!".
std::vector<std::string> ListItems(HWND list, bool* answered) {
  std::vector<std::string> items;
  DWORD_PTR count = 0;
  *answered = SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                                  &count) != 0;
  if (!*answered || static_cast<LRESULT>(count) == CB_ERR) return items;
  for (DWORD_PTR i = 0; i < count; ++i) {
    wchar_t buffer[512] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                             &length) ||
        static_cast<LRESULT>(length) == CB_ERR || length >= 512) {
      *answered = false;
      break;
    }
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &copied)) {
      *answered = false;
      break;
    }
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, buffer, -1, text, sizeof text, nullptr, nullptr);
    items.emplace_back(text);
  }
  return items;
}

void PrintList(HWND list) {
  bool answered = false;
  const std::vector<std::string> items = ListItems(list, &answered);
  std::printf("list_answered=%d\nlist_count=%u\n", answered ? 1 : 0,
              static_cast<unsigned>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    std::printf("list_item_%u=%s\n", static_cast<unsigned>(i + 1), Escaped(items[i]).c_str());
  }
}

// The window: its lines, its list, the Update button and where it is.
void PrintWindow() {
  UpdaterHandles w;
  if (!FindUpdater(&w)) {
    std::printf("window=none\n");
    return;
  }
  std::printf("window=found\n");
  for (int i = 0; i < 5; ++i)
    std::printf("line%d=%s\n", i + 1, Escaped(TextOf(w.lines[i])).c_str());
  PrintList(GetDlgItem(w.main, control_id::kDeviceList));
  std::printf("update_visible=%d\nupdate_enabled=%d\n", IsWindowVisible(w.update) ? 1 : 0,
              IsWindowEnabled(w.update) ? 1 : 0);
  RECT outer;
  GetWindowRect(w.main, &outer);
  std::printf("rect=%ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
}

// The five lines, for telling a change.
std::vector<std::string> Lines(const UpdaterHandles& w) {
  std::vector<std::string> lines;
  for (HWND line : w.lines) lines.push_back(TextOf(line));
  return lines;
}

// What a wait saw of the window's refreshes: the device changes that came
// while it waited, and when the lines first changed.
class ChangeWatch {
 public:
  ChangeWatch() : firstChange_(g_deviceChanges.size()) {}

  // Called at each look with the lines seen.
  void Look(const std::vector<std::string>& lines) {
    if (baseline_.empty()) {
      baseline_ = lines;
      return;
    }
    if (changedAt_ < 0 && lines != baseline_) changedAt_ = NowMs();
  }

  void Print() const {
    std::ostringstream events;
    double lastBeforeChange = -1;
    for (size_t i = firstChange_; i < g_deviceChanges.size(); ++i) {
      const DeviceChange& change = g_deviceChanges[i];
      char code[16];
      std::snprintf(code, sizeof code, "%s%04x", i == firstChange_ ? "" : ",",
                    static_cast<unsigned>(change.event));
      events << code;
      if (changedAt_ >= 0 && change.atMs <= changedAt_) lastBeforeChange = change.atMs;
    }
    std::printf("device_changes=%u\n",
                static_cast<unsigned>(g_deviceChanges.size() - firstChange_));
    std::printf("device_change_events=%s\n", events.str().c_str());
    if (changedAt_ >= 0 && lastBeforeChange >= 0) {
      std::printf("lines_changed_after_device_change_ms=%.0f\n", changedAt_ - lastBeforeChange);
    }
  }

 private:
  size_t firstChange_;
  std::vector<std::string> baseline_;
  double changedAt_ = -1;
};

bool FindWithin(UpdaterHandles* w, double limitMs) {
  return Watch([&] { return FindUpdater(w); }, limitMs);
}

int Look() {
  PrintWindow();
  return kStatusOk;
}

int Wait(double seconds, int line, const std::string& prefix) {
  if (line < 1 || line > 5) return kStatusUsage;
  const double start = NowMs();
  UpdaterHandles w;
  ChangeWatch changes;
  bool found = FindWithin(&w, seconds * 1000);
  if (found) {
    found = Watch(
        [&] {
          const std::vector<std::string> lines = Lines(w);
          changes.Look(lines);
          return StartsWith(lines[static_cast<size_t>(line - 1)], prefix);
        },
        seconds * 1000 - (NowMs() - start));
  }
  std::printf("waited_ms=%.0f\nmatched=%d\n", NowMs() - start, found ? 1 : 0);
  changes.Print();
  PrintWindow();
  return found ? kStatusOk : kStatusFailed;
}

int Update(double seconds) {
  UpdaterHandles w;
  if (!FindUpdater(&w)) {
    std::printf("window=none\n");
    return kStatusFailed;
  }
  if (!IsWindowVisible(w.update) || !IsWindowEnabled(w.update)) {
    std::printf("pressed=0\n");
    PrintWindow();
    return kStatusFailed;
  }
  const double start = NowMs();
  PostMessageA(w.update, BM_CLICK, 0, 0);
  std::printf("pressed=1\n");
  bool sawUpdating = false;
  std::string result;
  const bool ended = Watch(
      [&] {
        const std::string line3 = TextOf(w.lines[2]);
        if (line3 == "Updating.....") sawUpdating = true;
        if (line3 == "PASS" || line3 == "FAIL") result = line3;
        return !result.empty();
      },
      seconds * 1000);
  std::printf("result=%s\nupdate_ms=%.0f\nsaw_updating=%d\n", ended ? result.c_str() : "none",
              NowMs() - start, sawUpdating ? 1 : 0);
  PrintWindow();
  return ended ? kStatusOk : kStatusFailed;
}

struct BoxSearch {
  DWORD process;
  HWND box;
};

BOOL CALLBACK FindBoxOf(HWND window, LPARAM searchParam) {
  auto* search = reinterpret_cast<BoxSearch*>(searchParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (process == search->process && std::string(className) == kMessageBoxClass &&
      IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

HWND MessageBoxOf(HWND main) {
  BoxSearch search = {0, nullptr};
  GetWindowThreadProcessId(main, &search.process);
  EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&search));
  return search.box;
}

// The message box's text: its static child that carries text (the icon's
// carries none).
BOOL CALLBACK FindBoxText(HWND child, LPARAM textParam) {
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  const std::string text = TextOf(child);
  if (std::string(className) == "Static" && !text.empty()) {
    *reinterpret_cast<std::string*>(textParam) = text;
    return FALSE;
  }
  return TRUE;
}

int Box(double seconds) {
  UpdaterHandles w;
  if (!FindWithin(&w, seconds * 1000)) {
    std::printf("window=none\n");
    return kStatusFailed;
  }
  const double start = NowMs();
  ChangeWatch changes;
  HWND box = nullptr;
  const bool shown = Watch(
      [&] {
        changes.Look(Lines(w));
        box = MessageBoxOf(w.main);
        return box != nullptr;
      },
      seconds * 1000);
  std::printf("box_shown=%d\nbox_waited_ms=%.0f\n", shown ? 1 : 0, NowMs() - start);
  changes.Print();
  if (!shown) {
    PrintWindow();
    return kStatusFailed;
  }
  std::string text;
  EnumChildWindows(box, FindBoxText, reinterpret_cast<LPARAM>(&text));
  std::printf("box_caption=%s\nbox_text=%s\n", Escaped(TextOf(box)).c_str(), Escaped(text).c_str());
  // The window as it stands behind its box.
  PrintWindow();
  HWND ok = GetDlgItem(box, IDOK);
  std::printf("box_ok_button=%s\n", ok != nullptr ? Escaped(TextOf(ok)).c_str() : "none");
  if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
  const bool gone = Watch([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000);
  std::printf("box_dismissed=%d\n", gone ? 1 : 0);
  return gone ? kStatusOk : kStatusFailed;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The text after the first `skip` words of `line`, as written.
std::string RestAfter(const std::string& line, size_t skip) {
  size_t at = 0;
  for (size_t i = 0; i < skip; ++i) {
    at = line.find_first_not_of(' ', at);
    if (at == std::string::npos) return "";
    at = line.find(' ', at);
    if (at == std::string::npos) return "";
  }
  return at + 1 <= line.size() ? line.substr(at + 1) : "";
}

int Run(const std::string& line) {
  const std::vector<std::string> words = Words(line);
  if (words.empty()) return kStatusUsage;
  const std::string& command = words[0];
  if (command == "look") return Look();
  if (command == "wait" && words.size() >= 3) {
    return Wait(std::atof(words[1].c_str()), std::atoi(words[2].c_str()), RestAfter(line, 3));
  }
  if (command == "update" && words.size() == 2) return Update(std::atof(words[1].c_str()));
  if (command == "box" && words.size() == 2) return Box(std::atof(words[1].c_str()));
  std::printf("unknown command: %s\n", line.c_str());
  return kStatusUsage;
}

// Reads what was appended to `path` since `offset`; whole lines only.
std::vector<std::string> NewLines(const char* path, long* offset, std::string* pending) {
  std::vector<std::string> lines;
  if (std::FILE* file = std::fopen(path, "rb")) {
    std::fseek(file, *offset, SEEK_SET);
    char chunk[512];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
      pending->append(chunk, got);
      *offset += static_cast<long>(got);
    }
    std::fclose(file);
  }
  for (size_t end; (end = pending->find('\n')) != std::string::npos;) {
    std::string line = pending->substr(0, end);
    pending->erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

int Serve(const char* path) {
  long offset = 0;
  std::string pending;
  for (long n = 1;;) {
    for (const std::string& line : NewLines(path, &offset, &pending)) {
      if (line == "quit") return kStatusOk;
      std::printf("begin %ld\n", n);
      std::fflush(stdout);
      const int status = Run(line);
      std::printf("end %ld %d\n", n, status);
      std::fflush(stdout);
      ++n;
    }
    PumpFor(kCommandPollMs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: tq214-window-driver.exe look | wait SECONDS LINE TEXT | update SECONDS |"
                 " box SECONDS | serve COMMAND_FILE\n");
    return kStatusUsage;
  }
  if (!CreateDriverWindow()) {
    std::fprintf(stderr, "tq214-window-driver: no window of its own (error %lu)\n", GetLastError());
    return kStatusFailed;
  }
  if (std::string(argv[1]) == "serve" && argc == 3) return Serve(argv[2]);
  std::string line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + std::string(argv[i]);
  const int status = Run(line);
  std::fflush(stdout);
  return status;
}
