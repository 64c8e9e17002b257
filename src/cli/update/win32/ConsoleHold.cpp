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

}  // namespace

ConsoleHold::ConsoleHold(std::ostream& err)
    : err_(err), ended_(CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}

ConsoleHold::~ConsoleHold() {
  End();
  if (ended_) CloseHandle(ended_);
}

void ConsoleHold::Begin(std::function<std::string()> notice) {
  std::lock_guard<std::mutex> guard(lock_);
  if (holding_) return;
  notice_ = std::move(notice);
  holding_ = true;
  if (ended_) ResetEvent(ended_);
  gActive = this;
  SetConsoleCtrlHandler(Handler, TRUE);
}

std::vector<std::string> ConsoleHold::End() {
  std::vector<std::string> names;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!holding_) return names;
    holding_ = false;
    announced_ = false;
    names.swap(names_);
  }
  // A handler waiting for the end lets the system go on now.
  if (ended_) SetEvent(ended_);
  SetConsoleCtrlHandler(Handler, FALSE);
  gActive = nullptr;
  return names;
}

bool ConsoleHold::requested() const {
  std::lock_guard<std::mutex> guard(lock_);
  return !names_.empty();
}

BOOL WINAPI ConsoleHold::Handler(DWORD event) {
  ConsoleHold* hold = gActive.load();
  return hold ? hold->Handle(event) : FALSE;
}

BOOL ConsoleHold::Handle(DWORD event) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!holding_) return FALSE;
    const std::string name = EventName(event);
    if (std::find(names_.begin(), names_.end(), name) == names_.end()) names_.push_back(name);
    if (!announced_) {
      announced_ = true;
      err_ << (notice_ ? notice_() : std::string()) << std::flush;
    }
  }
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // The process ends when this returns: not before the update has.
  if (ended_) WaitForSingleObject(ended_, INFINITE);
  return TRUE;
}

std::unique_ptr<InterruptHold> MakeInterruptHold(std::ostream& err) {
  return std::make_unique<ConsoleHold>(err);
}
