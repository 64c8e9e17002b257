#pragma once
// Holding on Windows: a console control handler, the process's from the
// program's start, answers Ctrl+C and Ctrl+Break as handled while holding. A
// console window being closed, the user logging off or the system shutting
// down cannot be refused: the handler then keeps the process alive until the
// update has ended, which Windows allows for only a few seconds (about 5 for
// a closed console) before it ends the process anyway. Outside a hold the
// handler lets the system end the process, unless the run ends by itself on
// Ctrl+C (a watch). While holding, the console's QuickEdit mode is off (a
// click would select text and pause the console's output until a key is
// pressed), set through CONIN$ so that a redirected standard input does not
// keep it on; the console's mode comes back when the hold ends. A run ends
// its hold once its record is written (RecordHold), so a closed console
// waits for the history line and the result as well.

#include <windows.h>

#include <mutex>
#include <ostream>

#include "cli/update/InterruptHold.h"

class ConsoleHold final : public InterruptHold {
 public:
  ConsoleHold();
  ~ConsoleHold() override;
  ConsoleHold(const ConsoleHold&) = delete;
  ConsoleHold& operator=(const ConsoleHold&) = delete;

  void Begin(std::function<void()> announce) override;
  std::vector<std::string> End() override;
  std::vector<std::string> HeldSoFar() const override;
  bool requested() const override;
  void SetRunEndsOnRequest(bool on) override;

 private:
  static BOOL WINAPI Handler(DWORD event);
  BOOL Handle(DWORD event);

  HANDLE ended_;                         // manual-reset: set while not holding
  HANDLE input_ = INVALID_HANDLE_VALUE;  // CONIN$ while holding
  DWORD inputMode_ = 0;                  // the console input's mode before the hold
  bool modeChanged_ = false;
  mutable std::mutex lock_;
  bool holding_ = false;
  bool runEnds_ = false;
  bool requested_ = false;
  bool announced_ = false;
  std::function<void()> announce_;
  std::vector<std::string> names_;
};
