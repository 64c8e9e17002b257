#include "platform/win32/gui/MainWindowView.h"

#include <commctrl.h>
#include <dbt.h>

#include "Tessaloft_main/TForm1.h"
#include "platform/win32/gui/ControlMirror.h"
#include "platform/win32/gui/DialogKeys.h"
#include "platform/win32/gui/DpiScale.h"
#include "platform/win32/gui/HeldException.h"
#include "platform/win32/gui/Win32WindowShell.h"
#include "platform/win32/gui/WindowMessages.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;
constexpr DWORD kPanelStyle = kChildStyle | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kLeftPanelStyle = kChildStyle | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kButtonStyle = kChildStyle | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kListStyle = kChildStyle | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN;
constexpr DWORD kBarStyle = kChildStyle | PBS_SMOOTH;
// The list's item height, and how many items its drop-down shows.
constexpr int kListItemHeight = 13;
constexpr int kListDropItems = 8;

MainWindowView* ViewOf(HWND window) {
  return reinterpret_cast<MainWindowView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

MainWindowView::~MainWindowView() {
  Detach();
  if (window_ != nullptr) DestroyWindow(window_);
}

void MainWindowView::Detach() {
  for (Child& child : children_) child.control->SetObserver(nullptr);
  children_.clear();
  if (form_ != nullptr) form_->SetUpdateWatcher(nullptr);
  form_ = nullptr;
}

HWND MainWindowView::Create(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &MainWindowView::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "MAINICON");
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  // A second view in one process finds the class registered already.
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return nullptr;
  }
  window_ = CreateWindowExA(kMainWindowExStyle, kMainWindowClass, "Form1", kMainWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr,
                            nullptr, instance, this);
  if (window_ == nullptr) return nullptr;
  highContrast_ = highContrastQuery_();
  dpi_ = WindowDpi(window_);
  const SIZE size =
      WindowSizeForClient(ScaleToDpi(kClientWidth, dpi_), ScaleToDpi(kClientHeight, dpi_),
                          kMainWindowStyle, kMainWindowExStyle, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return window_;
}

void MainWindowView::Mirror(TForm1& form) {
  struct Plan {
    Control* control;
    int id;
    const char* className;
    DWORD style;
    FontFace face;
  };
  const Plan plans[] = {
      {&form.cbb_DeviceList, control_id::kDeviceList, WC_COMBOBOXA, kListStyle, FontFace::kDefault},
      {&form.btn_Refresh, control_id::kRefresh, WC_BUTTONA, kButtonStyle, FontFace::kDefault},
      {&form.pnl_Descript_2, control_id::kDescript2, WC_STATICA, kPanelStyle, FontFace::kPanel},
      {&form.pnl_Descript_1, control_id::kDescript1, WC_STATICA, kPanelStyle, FontFace::kPanel},
      {&form.btn_Update, control_id::kUpdate, WC_BUTTONA, kButtonStyle, FontFace::kPanel},
      {&form.pnl_Descript_3, control_id::kDescript3, WC_STATICA, kPanelStyle, FontFace::kPanel},
      {&form.pnl_Descript_5, control_id::kDescript5, WC_STATICA, kLeftPanelStyle, FontFace::kPanel},
      {&form.pnl_Descript_4, control_id::kDescript4, WC_STATICA, kPanelStyle, FontFace::kPanel},
      {&form.prg_Update, control_id::kProgress, PROGRESS_CLASSA, kBarStyle, FontFace::kDefault},
  };
  const HINSTANCE instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
  for (const Plan& plan : plans) {
    HWND window =
        CreateWindowExA(0, plan.className, "", plan.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(plan.id)), instance, nullptr);
    children_.push_back({plan.control, plan.id, plan.face, window});
    const Child& child = children_.back();
    if (plan.control == &form.cbb_DeviceList) {
      SendMessageA(window, CB_SETITEMHEIGHT, 0, ScaleToDpi(kListItemHeight, dpi_));
    }
    Place(child);
    ApplyFont(child);
    MirrorControl(*plan.control, window);
    plan.control->SetObserver(this);
  }
  // The bar lies over the fourth line, which is empty while it shows.
  SetWindowPos(ChildOf(form.prg_Update), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The third line shows the result.
  signals_.Attach(window_, ChildOf(form.pnl_Descript_3));
  form.SetUpdateWatcher(&signals_);
  form_ = &form;
  // Focus indicators as a dialog box starts them: hidden when the last input
  // was the mouse, until a key moves the focus; shown when it was the
  // keyboard, or when the user asked to see them always.
  BOOL alwaysShown = FALSE;
  SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &alwaysShown, 0);
  if (!alwaysShown) SendMessageA(window_, WM_UPDATEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

void MainWindowView::SetCaption(const std::string& caption) {
  SetWindowTextA(window_, caption.c_str());
}

void MainWindowView::Show(int showCommand) {
  RECT outer;
  GetWindowRect(window_, &outer);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
}

HWND MainWindowView::ChildOf(const Control& control) const {
  const Child* child = Find(control);
  return child ? child->window : nullptr;
}

const MainWindowView::Child* MainWindowView::Find(HWND window) const {
  for (const Child& child : children_) {
    if (child.window == window) return &child;
  }
  return nullptr;
}

const MainWindowView::Child* MainWindowView::Find(const Control& control) const {
  for (const Child& child : children_) {
    if (child.control == &control) return &child;
  }
  return nullptr;
}

void MainWindowView::Place(const Child& child) {
  const Control& c = *child.control;
  int height = ScaleToDpi(c.height(), dpi_);
  // A drop-down list's height includes its open list.
  if (child.id == control_id::kDeviceList)
    height += ScaleToDpi(kListItemHeight * kListDropItems, dpi_);
  SetWindowPos(child.window, nullptr, ScaleToDpi(c.left(), dpi_), ScaleToDpi(c.top(), dpi_),
               ScaleToDpi(c.width(), dpi_), height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowView::ApplyFont(const Child& child) {
  const FontStyle& style = child.control->font();
  HFONT font = fonts_.Get(child.face, style.sizePoints, style.bold, dpi_);
  if (reinterpret_cast<HFONT>(SendMessageA(child.window, WM_GETFONT, 0, 0)) != font) {
    SendMessageA(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void MainWindowView::ControlChanged(const Control& control) {
  const Child* child = Find(control);
  if (child == nullptr || child->window == nullptr) return;
  const bool hadFocus = ControlHolding(window_, GetFocus()) == child->window;
  MirrorControl(control, child->window);
  ApplyFont(*child);
  // The colour is asked for at painting (WM_CTLCOLORSTATIC).
  InvalidateRect(child->window, nullptr, TRUE);
  KeepFocus(child->window, hadFocus);
}

void MainWindowView::FocusAControl() {
  HWND control = lastFocus_ != nullptr && TakesFocus(lastFocus_) ? lastFocus_ : nullptr;
  if (control == nullptr) {
    const std::vector<HWND> order = FocusOrder(window_);
    if (!order.empty()) control = order.front();
  }
  if (control != nullptr) SetFocus(control);
}

void MainWindowView::KeepFocus(HWND control, bool hadFocus) {
  if (hadFocus && !TakesFocus(control)) {
    // The system drops the focus of a control it disables: without this the
    // keyboard would reach nothing once Update is pressed.
    HWND next = nullptr;
    for (HWND c = GetWindow(control, GW_HWNDNEXT); c != nullptr && next == nullptr;
         c = GetWindow(c, GW_HWNDNEXT)) {
      if (TakesFocus(c)) next = c;
    }
    if (next == nullptr) {
      const std::vector<HWND> order = FocusOrder(window_);
      if (!order.empty()) next = order.front();
    }
    SetFocus(next != nullptr ? next : window_);
  } else if (GetFocus() == window_ && TakesFocus(control)) {
    FocusAControl();
  }
}

LRESULT CALLBACK MainWindowView::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  MainWindowView* view = ViewOf(window);
  if (view == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (view->window_ == nullptr) view->window_ = window;
  return HoldingExceptions([&] { return view->Handle(message, wParam, lParam); }, LRESULT{0});
}

bool MainWindowView::HeldOrRefused(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_TIMER:
      // The timer stays set: it fires again once the work has ended.
      return true;
    case WM_DEVICECHANGE:
      // A device change's record is the sender's: only the event code is kept.
      shell_.HoldUntilWorkEnds(kWmHeldDeviceChange, wParam, 0);
      *result = TRUE;
      return true;
    case kWmHeldDeviceChange:
    case WM_COMMAND:
      shell_.HoldUntilWorkEnds(message, wParam, lParam);
      return true;
    case WM_CLOSE:
      // Closing now would take away the result the operator waits for, and a
      // close kept for later would close the window the moment the result
      // shows. Refused at once, as a window refuses clicks while a modal box
      // is up.
      if (refusalSignal_) refusalSignal_();
      return true;
    default:
      return false;
  }
}

LRESULT MainWindowView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (shell_.DeviceWorkRunning() && HeldOrRefused(message, wParam, lParam, &result)) return result;
  // A registered message, so not a case label.
  if (message != 0 && message == signals_.taskbarButtonCreated()) {
    signals_.TaskbarButtonCreated();
    return 0;
  }
  if (EndOfLife(message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_TIMER:
      if (Form1 != nullptr) Form1->Dispatch(WM_TIMER, static_cast<uintptr_t>(wParam));
      return 0;
    case WM_DEVICECHANGE:
    case kWmHeldDeviceChange:
      if (Form1 != nullptr) Form1->Dispatch(WM_DEVICECHANGE, static_cast<uintptr_t>(wParam));
      return TRUE;
    case kWmRunTasks:
      shell_.RunQueuedTasks();
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      OnSystemColours(message, wParam, lParam);
      return DefWindowProcA(window_, message, wParam, lParam);
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_ACTIVATE:
      // Whichever control had the focus gets it back when the window is
      // active again. The system puts the focus on the window itself when
      // it activates it (WM_SETFOCUS passes it on).
      if (LOWORD(wParam) == WA_INACTIVE) lastFocus_ = ControlHolding(window_, GetFocus());
      return DefWindowProcA(window_, message, wParam, lParam);
    case WM_SETFOCUS:
      FocusAControl();
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

bool MainWindowView::EndOfLife(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_CLOSE:
      // The device notification names this window: it goes while the window
      // still exists, then the window.
      if (Form1 != nullptr) Form1->UnregisterUsbNotification();
      DestroyWindow(window_);
      return true;
    case WM_QUERYENDSESSION:
      // Not while the enclosure's firmware is being written.
      *result = shell_.DeviceWorkRunning() ? FALSE : TRUE;
      return true;
    case WM_ENDSESSION:
      // The session ends anyway: the process may be ended as soon as this
      // returns, so not before the device work has ended.
      if (wParam != FALSE) shell_.AwaitDeviceWork();
      return true;
    case WM_DESTROY:
      // The children still exist: the line's mark comes off first.
      signals_.Detach();
      for (Child& child : children_) child.window = nullptr;
      PostQuitMessage(0);
      return true;
    case WM_NCDESTROY: {
      HWND window = window_;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      *result = DefWindowProcA(window, message, wParam, lParam);
      return true;
    }
    default:
      return false;
  }
}

LRESULT MainWindowView::OnCommand(WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED || Form1 == nullptr) return 0;
  const Child* child = nullptr;
  for (const Child& c : children_) {
    if (c.id == LOWORD(wParam)) child = &c;
  }
  // A click that waited in the queue counts only if the button still takes it.
  const bool shown = child != nullptr && (GetWindowLongA(child->window, GWL_STYLE) & WS_VISIBLE);
  if (!shown || !IsWindowEnabled(child->window)) return 0;
  if (child->id == control_id::kUpdate) Form1->btn_UpdateClick(&Form1->btn_Update);
  if (child->id == control_id::kRefresh) Form1->btn_RefreshClick(&Form1->btn_Refresh);
  return 0;
}

LRESULT MainWindowView::OnStaticColour(HDC dc, HWND window) {
  const Child* child = Find(window);
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  // Under a high-contrast theme "PASS" and "FAIL" are told by their words.
  if (child != nullptr && !child->control->font().windowTextColour && !highContrast_) {
    const Rgb& c = child->control->font().colour;
    text = RGB(c.r, c.g, c.b);
  }
  SetTextColor(dc, text);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindowView::OnSystemColours(UINT message, WPARAM wParam, LPARAM lParam) {
  highContrast_ = highContrastQuery_();
  // The common controls among the children follow the colours when told.
  if (message == WM_SYSCOLORCHANGE) {
    for (const Child& child : children_) {
      if (child.window != nullptr) SendMessageA(child.window, message, wParam, lParam);
    }
  }
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindowView::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  for (const Child& child : children_) {
    Place(child);
    ApplyFont(child);
  }
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}
