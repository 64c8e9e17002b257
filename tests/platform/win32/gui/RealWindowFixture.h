#pragma once
// The updater window as the programs build it (real window, real child
// windows, real timers, the window shell), over a ready-made virtual machine.
// Run under Wine with a display (cmake/wine-run.sh starts one when needed).

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "Tessaloft_main/TForm1.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/gui/UpdaterWindow.h"
#include "platform/win32/gui/Win32WindowShell.h"
#include "seams/Seams.h"
#include "sim/Scenarios.h"
#include "sim/VirtualMachine.h"

// Counts how often a line's text became empty: a refresh empties lines 1
// and 3 first (line 3 also the update's result, line 1 not always, as the
// result leaves it empty already).
class LineWatch final : public ControlObserver {
 public:
  void ControlChanged(const Control& control) override {
    if (control.text().empty() && !last_.empty()) ++emptied;
    last_ = control.text();
  }
  int emptied = 0;

 private:
  std::string last_ = "?";
};

// The child window's own visibility, whether or not its parent is shown.
inline bool Shown(HWND child) {
  return (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Dispatches the window thread's messages until `done` holds or `limitMs`
// passed; true when it held. The limit is only a bound, never a measure.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs);
// Dispatches for `ms` milliseconds.
void PumpFor(DWORD ms);

class RealWindowTest : public ::testing::Test {
 protected:
  RealWindowTest() : seams_(Seams{&machine, &shell, &machine, &machine, &resources}) {}
  ~RealWindowTest() override;

  // Builds the machine, then the window as start-up does (not yet shown).
  void Open(const char* scenario);
  TForm1& form() { return window_->form(); }
  MainWindowView& view() { return window_->view(); }
  HWND main() { return window_->view().window(); }
  HWND Child(const Control& control) { return view().ChildOf(control); }
  // Closes the window the way the operator does.
  void Close();
  // The program's message loop, until a quit message comes.
  int RunMessageLoop() { return window_->RunMessageLoop(); }

  VirtualMachine machine;
  Win32WindowShell shell;
  Win32Resources resources;

 private:
  ScopedSeams seams_;
  std::unique_ptr<UpdaterWindow> window_;
};
