#pragma once
// Holding on Windows: a console control handler answers Ctrl+C and Ctrl+Break
// as handled. A console window being closed, the user logging off or the
// system shutting down cannot be refused: the handler then keeps the process
// alive until the update has ended, which Windows allows for only a few
// seconds (about 5 for a closed console) before it ends the process anyway.

#include <windows.h>

#include <mutex>
#include <ostream>

#include "cli/update/InterruptHold.h"

class ConsoleHold final : public InterruptHold {
 public:
  explicit ConsoleHold(std::ostream& err);
  ~ConsoleHold() override;
  ConsoleHold(const ConsoleHold&) = delete;
  ConsoleHold& operator=(const ConsoleHold&) = delete;

  void Begin(std::function<std::string()> notice) override;
  std::vector<std::string> End() override;
  bool requested() const override;

 private:
  static BOOL WINAPI Handler(DWORD event);
  BOOL Handle(DWORD event);

  std::ostream& err_;
  HANDLE ended_;  // manual-reset: set while not holding
  mutable std::mutex lock_;
  bool holding_ = false;
  bool announced_ = false;
  std::function<std::string()> notice_;
  std::vector<std::string> names_;
};
