#include "cli/update/win32/ConsoleHold.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

// The one hold the handler answers for.
std::atomic<ConsoleHold*> gActive{nullptr};

const char* EventName(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      return "Ctrl+C";
    case CTRL_BREAK_EVENT:
      return "Ctrl+Break";
    case CTRL_CLOSE_EVENT:
      return "console closed";
    case CTRL_LOGOFF_EVENT:
      return "log-off";
    default:
      return "shutdown";
  }
}

// The console's input itself, also when standard input is redirected (a
// file, a pipe), which leaves the console's mode out of its reach;
// INVALID_HANDLE_VALUE without a console.
HANDLE OpenConsoleInput() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

// QuickEdit off, where there is a console; false elsewhere.
bool QuickEditOff(HANDLE input, DWORD* before) {
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, before)) return false;
  return SetConsoleMode(input, (*before | ENABLE_EXTENDED_FLAGS) & ~ENABLE_QUICK_EDIT_MODE) != 0;
}

// The mode QuickEdit was turned off from; QuickEdit is set only with the
// extended flags.
void RestoreInputMode(HANDLE input, DWORD before) {
  if (before & ENABLE_QUICK_EDIT_MODE) before |= ENABLE_EXTENDED_FLAGS;
  SetConsoleMode(input, before);
}

}  // namespace

ConsoleHold::ConsoleHold() : ended_(CreateEventA(nullptr, TRUE, TRUE, nullptr)) {
  gActive = this;
  SetConsoleCtrlHandler(Handler, TRUE);
}

ConsoleHold::~ConsoleHold() {
  End();
  SetConsoleCtrlHandler(Handler, FALSE);
  gActive = nullptr;
  if (ended_) CloseHandle(ended_);
}

void ConsoleHold::Begin(std::function<void()> announce) {
  std::lock_guard<std::mutex> guard(lock_);
  if (holding_) return;
  announce_ = std::move(announce);
  holding_ = true;
  announced_ = false;
  input_ = OpenConsoleInput();
  modeChanged_ = QuickEditOff(input_, &inputMode_);
  if (ended_) ResetEvent(ended_);
}

std::vector<std::string> ConsoleHold::End() {
  std::vector<std::string> names;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!holding_) return names;
    holding_ = false;
    names.swap(names_);
    if (modeChanged_) RestoreInputMode(input_, inputMode_);
    modeChanged_ = false;
    if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
    input_ = INVALID_HANDLE_VALUE;
  }
  // A handler waiting for the end lets the system go on now.
  if (ended_) SetEvent(ended_);
  return names;
}

std::vector<std::string> ConsoleHold::HeldSoFar() const {
  std::lock_guard<std::mutex> guard(lock_);
  return names_;
}

bool ConsoleHold::requested() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requested_;
}

void ConsoleHold::SetRunEndsOnRequest(bool on) {
  std::lock_guard<std::mutex> guard(lock_);
  runEnds_ = on;
}

BOOL WINAPI ConsoleHold::Handler(DWORD event) {
  ConsoleHold* hold = gActive.load();
  return hold ? hold->Handle(event) : FALSE;
}

BOOL ConsoleHold::Handle(DWORD event) {
  const bool keystroke = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!holding_) {
      // A watch ends by itself on Ctrl+C; anything else ends the process.
      if (!runEnds_ || !keystroke) return FALSE;
      requested_ = true;
      return TRUE;
    }
    requested_ = true;
    const std::string name = EventName(event);
    if (std::find(names_.begin(), names_.end(), name) == names_.end()) names_.push_back(name);
    if (!announced_) {
      announced_ = true;
      if (announce_) announce_();
    }
  }
  if (keystroke) return TRUE;
  // The process ends when this returns: not before the update has.
  if (ended_) WaitForSingleObject(ended_, INFINITE);
  return TRUE;
}

std::unique_ptr<InterruptHold> MakeInterruptHold() {
  return std::make_unique<ConsoleHold>();
}
