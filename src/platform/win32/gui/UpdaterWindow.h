#pragma once
// The updater window's life, in the order the program goes through it: the
// main window exists (hidden) before the window model is built, because
// building it runs the first refresh, which may already show the several-
// drives warning; then the child windows take the model's state, the creation
// handler registers for device notifications and sets the caption, and the
// window is centred and shown. The message loop runs until it is closed:
// closing unregisters the device notification, then destroys the window,
// which ends the loop; the model goes last.

#include <windows.h>

#include <functional>
#include <memory>

#include "Tessaloft_main/TForm1.h"
#include "platform/win32/gui/MainWindowView.h"

class Win32WindowShell;

class UpdaterWindow {
 public:
  explicit UpdaterWindow(Win32WindowShell& shell) : shell_(shell), view_(shell) {}
  ~UpdaterWindow();
  UpdaterWindow(const UpdaterWindow&) = delete;
  UpdaterWindow& operator=(const UpdaterWindow&) = delete;

  // Everything before the window is shown; false when the system gave no
  // window.
  bool Open(HINSTANCE instance);
  void Show(int showCommand) { view_.Show(showCommand); }
  // Until the window is closed; returns the quit code.
  int RunMessageLoop();

  TForm1& form() { return *form_; }
  MainWindowView& view() { return view_; }

 private:
  Win32WindowShell& shell_;
  MainWindowView view_;
  std::unique_ptr<TForm1> form_;
};

// Runs a program body; an exception that escapes it is shown in a message box
// with its message (empty for a kind that carries none), and the result is
// then 0.
int RunShowingExceptions(const char* programName, const std::function<int()>& body);
