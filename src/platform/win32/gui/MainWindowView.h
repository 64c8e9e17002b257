#pragma once
// The updater's main window on the screen: a fixed-size window with a child
// window for every control of the window model, kept in step with the model,
// scaled to the dots per inch of its monitor. Clicks, timers and device
// changes go to the model (Form1); while device work runs they wait, a close
// is refused, and the window refuses to let the session end. The focus stays
// on a control whenever one can take it, on the window itself otherwise. The
// update also shows on the taskbar button and reaches assistive technology
// (UpdateSignals); under a high-contrast theme the lines take its colours.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Tessaloft_main/Controls.h"
#include "platform/win32/gui/FontCache.h"
#include "platform/win32/gui/HighContrast.h"
#include "platform/win32/gui/UpdateSignals.h"

class TForm1;
class Win32WindowShell;

// The window's style: caption, system menu and minimise box, single border.
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kMainWindowExStyle = 0;
// Its client area at 96 dots per inch.
constexpr int kClientWidth = 475;
constexpr int kClientHeight = 169;

class MainWindowView final : public ControlObserver {
 public:
  explicit MainWindowView(Win32WindowShell& shell) : shell_(shell) {}
  ~MainWindowView() override;
  MainWindowView(const MainWindowView&) = delete;
  MainWindowView& operator=(const MainWindowView&) = delete;

  // Registers the window class and creates the main window, hidden, sized
  // for the dots per inch it got. Null when the system refuses.
  HWND Create(HINSTANCE instance);
  // Creates a child window for each control of `form` and keeps each in step
  // with its control from now on; the form's update is told to UpdateSignals.
  void Mirror(TForm1& form);
  // Stops following the model (before the form goes).
  void Detach();
  void SetCaption(const std::string& caption);
  // Centres the window on the work area of its monitor and shows it.
  void Show(int showCommand);

  HWND window() const { return window_; }
  UINT dpi() const { return dpi_; }
  // The child window that shows `control`; null before Mirror.
  HWND ChildOf(const Control& control) const;

  void ControlChanged(const Control& control) override;

  // What the window does when it refuses to close while device work runs:
  // the system's beep unless told otherwise (tests count instead).
  void SetRefusalSignal(std::function<void()> signal) { refusalSignal_ = std::move(signal); }
  // How the window learns whether a high-contrast theme is on: from the
  // system unless told otherwise (the test system cannot switch one on).
  // Asked at creation and whenever the system's colours or settings change.
  void SetHighContrastQuery(std::function<bool()> query) { highContrastQuery_ = std::move(query); }

  UpdateSignals& signals() { return signals_; }
  // Each update attempt goes to the Windows event log from now on (the
  // program over the system's disks; not a demo over a virtual machine).
  void ReportAttemptsToEventLog() { signals_.ReportAttemptsToEventLog(); }

 private:
  struct Child {
    Control* control;
    int id;
    FontFace face;
    HWND window;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // While device work runs: true when `message` waits or is refused, with
  // its answer in `result`.
  bool HeldOrRefused(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Closing, the session's end and the window's destruction: true when
  // `message` is one of them, with its answer in `result`.
  bool EndOfLife(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  LRESULT OnCommand(WPARAM wParam);
  LRESULT OnStaticColour(HDC dc, HWND child);
  // The system's colours or a setting changed: the theme may have too.
  void OnSystemColours(UINT message, WPARAM wParam, LPARAM lParam);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void Place(const Child& child);
  void ApplyFont(const Child& child);
  // Gives the focus to the control that had it when the window was last
  // active, else to the first that takes it; with none the window keeps it.
  void FocusAControl();
  // After `control` changed: a control that lost the focus this way passes it
  // to the next that takes it (to the window when none does), and one that
  // can take it again gets it back from the window.
  void KeepFocus(HWND control, bool hadFocus);
  const Child* Find(HWND window) const;
  const Child* Find(const Control& control) const;

  Win32WindowShell& shell_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;
  std::vector<Child> children_;
  FontCache fonts_;
  HWND lastFocus_ = nullptr;
  std::function<void()> refusalSignal_ = [] { MessageBeep(MB_OK); };
  std::function<bool()> highContrastQuery_ = HighContrastOn;
  bool highContrast_ = false;
  TForm1* form_ = nullptr;
  UpdateSignals signals_;
};
