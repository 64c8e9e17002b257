// The updater's main window on the screen: caption, size, styles, position,
// and the child windows that show the model's controls.

#include <windows.h>
// <commctrl.h> uses the base types that <windows.h> declares.
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32/gui/DpiScale.h"
#include "platform/win32/gui/RealWindowFixture.h"
#include "platform/win32/gui/WindowMessages.h"
#include "seams/ProgramVersion.h"

namespace {

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font = {};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  GetObjectW(handle, sizeof font, &font);
  return font;
}

const std::wstring kPanelFace = L"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4";

class MainWindowTest : public RealWindowTest {
 protected:
  int Scaled(int layoutPixels) { return ScaleToDpi(layoutPixels, view().dpi()); }
  // The child's rectangle in the main window's client coordinates.
  RECT PlaceOf(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, main(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  void ExpectAtLayoutPlace(const Control& control) {
    const RECT rect = PlaceOf(Child(control));
    EXPECT_EQ(Scaled(control.left()), rect.left) << control.name();
    EXPECT_EQ(Scaled(control.top()), rect.top) << control.name();
    EXPECT_EQ(Scaled(control.width()), rect.right - rect.left) << control.name();
    EXPECT_EQ(Scaled(control.height()), rect.bottom - rect.top) << control.name();
  }
  COLORREF TextColourOf(const Control& control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(main(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Child(control)));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
  }
};

TEST_F(MainWindowTest, CaptionComesFromTheVersionResourceAfterTheFirstRefresh) {
  Open("outdated");
  const std::string caption = std::string("Tessaloft_Orvexa_TQ-214_v") + kProgramVersionText;
  EXPECT_EQ(caption, TextOf(main()));
  EXPECT_EQ(caption, form().Caption);
  uint16_t version[4] = {};
  ASSERT_TRUE(shell.ExecutableFileVersion(version));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(kProgramVersion[i], version[i]) << "part " << i;
  EXPECT_NE(0u, form().DevNotify) << "registered for USB device notifications with the window";
}

TEST_F(MainWindowTest, FixedClientAreaSingleBorderMinimiseOnly) {
  Open("outdated");
  RECT client;
  GetClientRect(main(), &client);
  EXPECT_EQ(Scaled(475), client.right);
  EXPECT_EQ(Scaled(169), client.bottom);
  if (view().dpi() == 96) {
    EXPECT_EQ(475, client.right);
    EXPECT_EQ(169, client.bottom);
  }
  const LONG style = GetWindowLongA(main(), GWL_STYLE);
  EXPECT_EQ(static_cast<LONG>(WS_CAPTION), style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";
  EXPECT_FALSE(IsWindowVisible(main())) << "shown only after the creation handler";
}

TEST_F(MainWindowTest, ShownCentredOnTheWorkArea) {
  Open("outdated");
  view().Show(SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(main()));
  RECT outer;
  GetWindowRect(main(), &outer);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(main(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  EXPECT_NEAR((area.left + area.right) / 2, (outer.left + outer.right) / 2, 1);
  EXPECT_NEAR((area.top + area.bottom) / 2, (outer.top + outer.bottom) / 2, 1);
}

TEST_F(MainWindowTest, EveryControlIsAChildWindowAtItsPlaceWithItsText) {
  Open("outdated");
  const Control* controls[] = {&form().cbb_DeviceList, &form().btn_Refresh,
                               &form().pnl_Descript_1, &form().pnl_Descript_2,
                               &form().pnl_Descript_3, &form().pnl_Descript_4,
                               &form().pnl_Descript_5, &form().btn_Update};
  for (const Control* control : controls) {
    ASSERT_NE(nullptr, Child(*control)) << control->name();
    EXPECT_EQ(control->visible(), Shown(Child(*control))) << control->name();
    if (control != &form().cbb_DeviceList) ExpectAtLayoutPlace(*control);
  }
  const TPanel* panels[] = {&form().pnl_Descript_1, &form().pnl_Descript_2, &form().pnl_Descript_3,
                            &form().pnl_Descript_4, &form().pnl_Descript_5};
  for (const TPanel* panel : panels) {
    EXPECT_EQ(panel->text(), TextOf(Child(*panel))) << panel->name();
    const LONG style = GetWindowLongA(Child(*panel), GWL_STYLE);
    const LONG expected = panel == &form().pnl_Descript_5 ? SS_LEFT : SS_CENTER;
    EXPECT_EQ(expected, style & SS_TYPEMASK) << panel->name();
    EXPECT_TRUE(style & SS_CENTERIMAGE) << panel->name();
  }
  EXPECT_EQ("Chip FW Version[  21.32.00.02  ]", TextOf(Child(form().pnl_Descript_5)));
  EXPECT_FALSE(Shown(Child(form().cbb_DeviceList)));
  EXPECT_FALSE(Shown(Child(form().btn_Refresh)));
  EXPECT_TRUE(Shown(Child(form().btn_Update)));
  EXPECT_TRUE(IsWindowEnabled(Child(form().btn_Update)));
  EXPECT_EQ("Update", TextOf(Child(form().btn_Update)));
  EXPECT_EQ(control_id::kUpdate, GetDlgCtrlID(Child(form().btn_Update)));
  EXPECT_EQ(control_id::kDescript5, GetDlgCtrlID(Child(form().pnl_Descript_5)));
}

TEST_F(MainWindowTest, PanelsUseTheChineseFaceAtTheirHeights) {
  Open("outdated");
  const LOGFONTW line = FontOf(Child(form().pnl_Descript_1));
  EXPECT_EQ(kPanelFace, line.lfFaceName);
  EXPECT_EQ(ANSI_CHARSET, line.lfCharSet);
  EXPECT_EQ(FontHeightForPoints(12, view().dpi()), line.lfHeight);
  EXPECT_EQ(FW_NORMAL, line.lfWeight);
  EXPECT_EQ(FontHeightForPoints(10, view().dpi()), FontOf(Child(form().pnl_Descript_5)).lfHeight);
  EXPECT_EQ(FontHeightForPoints(12, view().dpi()), FontOf(Child(form().btn_Update)).lfHeight);
  EXPECT_EQ(kPanelFace, FontOf(Child(form().btn_Update)).lfFaceName);
  if (view().dpi() == 96) {
    EXPECT_EQ(-16, line.lfHeight);
    EXPECT_EQ(-13, FontOf(Child(form().pnl_Descript_5)).lfHeight);
  }
}

TEST_F(MainWindowTest, ModelChangesReachTheChildWindows) {
  Open("none");
  EXPECT_EQ("No available device !!", TextOf(Child(form().pnl_Descript_1)));
  EXPECT_FALSE(IsWindowEnabled(Child(form().btn_Update)));
  EXPECT_EQ(1, SendMessageA(Child(form().cbb_DeviceList), CB_GETCOUNT, 0, 0));

  form().pnl_Descript_2.SetText("second line");
  EXPECT_EQ("second line", TextOf(Child(form().pnl_Descript_2)));
  form().btn_Update.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(Child(form().btn_Update)));
  form().btn_Update.SetVisible(false);
  EXPECT_FALSE(Shown(Child(form().btn_Update)));
  form().prg_Update.SetProgress(30, 98);
  form().prg_Update.SetVisible(true);
  HWND bar = Child(form().prg_Update);
  EXPECT_TRUE(Shown(bar));
  EXPECT_EQ(30, SendMessageA(bar, PBM_GETPOS, 0, 0));
  EXPECT_EQ(98, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
  EXPECT_EQ(GetTopWindow(main()), bar) << "the bar lies over the fourth line";
}

TEST_F(MainWindowTest, LinesTakeTheirColourFromTheModel) {
  Open("outdated");
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), TextColourOf(form().pnl_Descript_3));
  FontStyle result = form().pnl_Descript_3.font();
  result.sizePoints = 34;
  result.bold = true;
  result.windowTextColour = false;
  result.colour = Rgb{255, 0, 0};
  form().pnl_Descript_3.SetFont(result);
  EXPECT_EQ(RGB(255, 0, 0), TextColourOf(form().pnl_Descript_3));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), TextColourOf(form().pnl_Descript_1));
  const LOGFONTW large = FontOf(Child(form().pnl_Descript_3));
  EXPECT_EQ(FontHeightForPoints(34, view().dpi()), large.lfHeight);
  EXPECT_EQ(FW_BOLD, large.lfWeight);
}

TEST_F(MainWindowTest, UnderAHighContrastThemeTheResultTakesTheThemesColours) {
  Open("outdated");
  FontStyle fail = form().pnl_Descript_3.font();
  fail.windowTextColour = false;
  fail.colour = Rgb{255, 0, 0};
  form().pnl_Descript_3.SetFont(fail);
  bool highContrast = true;
  view().SetHighContrastQuery([&highContrast] { return highContrast; });
  SendMessageA(main(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), TextColourOf(form().pnl_Descript_3));
  highContrast = false;
  SendMessageA(main(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(RGB(255, 0, 0), TextColourOf(form().pnl_Descript_3));
}

TEST_F(MainWindowTest, FollowsAChangeOfDotsPerInch) {
  Open("outdated");
  constexpr UINT kDpi = 144;
  const SIZE size = WindowSizeForClient(ScaleToDpi(475, kDpi), ScaleToDpi(169, kDpi),
                                        kMainWindowStyle, kMainWindowExStyle, kDpi);
  RECT suggested = {100, 50, 100 + size.cx, 50 + size.cy};
  SendMessageA(main(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(kDpi, kDpi),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(kDpi, view().dpi());
  RECT outer;
  GetWindowRect(main(), &outer);
  EXPECT_EQ(suggested.left, outer.left);
  EXPECT_EQ(suggested.top, outer.top);
  EXPECT_EQ(size.cx, outer.right - outer.left);
  EXPECT_EQ(size.cy, outer.bottom - outer.top);
  // 1.5 times the layout: line 3 at 7,64 with 457 x 41 becomes 11,96 with 686 x 62.
  const RECT line3 = PlaceOf(Child(form().pnl_Descript_3));
  EXPECT_EQ(11, line3.left);
  EXPECT_EQ(96, line3.top);
  EXPECT_EQ(686, line3.right - line3.left);
  EXPECT_EQ(62, line3.bottom - line3.top);
  EXPECT_EQ(-24, FontOf(Child(form().pnl_Descript_1)).lfHeight) << "12 pt at 144 dpi";
  EXPECT_EQ(-20, FontOf(Child(form().pnl_Descript_5)).lfHeight) << "10 pt at 144 dpi";
  EXPECT_EQ(kPanelFace, FontOf(Child(form().pnl_Descript_1)).lfFaceName);
  // What the model sets from now on takes the new size too.
  FontStyle large = form().pnl_Descript_3.font();
  large.sizePoints = 34;
  form().pnl_Descript_3.SetFont(large);
  EXPECT_EQ(-68, FontOf(Child(form().pnl_Descript_3)).lfHeight) << "34 pt at 144 dpi";
}

// The bar's changes as the model receives them.
class ProgressWatch final : public ControlObserver {
 public:
  void ControlChanged(const Control& control) override {
    const auto& bar = static_cast<const TProgressBar&>(control);
    if (bar.maximum() != 0 && bar.position() == bar.maximum()) reachedEnd = true;
    threads.push_back(GetCurrentThreadId());
  }
  bool reachedEnd = false;
  std::vector<DWORD> threads;
};

TEST_F(MainWindowTest, UpdateButtonRunsTheUpdateToPassWithTheBarGoneAfterwards) {
  Open("outdated");
  ProgressWatch progress;
  form().prg_Update.SetObserver(&progress);

  SendMessageA(main(), WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
               reinterpret_cast<LPARAM>(Child(form().btn_Update)));

  EXPECT_EQ("PASS", TextOf(Child(form().pnl_Descript_3)));
  EXPECT_EQ(RGB(0, 128, 0), TextColourOf(form().pnl_Descript_3));
  EXPECT_EQ("", TextOf(Child(form().pnl_Descript_1)));
  EXPECT_EQ("Chip FW Version[  21.32.00.02  ]", TextOf(Child(form().pnl_Descript_5)));
  EXPECT_FALSE(IsWindowEnabled(Child(form().btn_Update)));
  EXPECT_FALSE(form().prg_Update.visible());
  EXPECT_TRUE(progress.reachedEnd) << "the worker's progress reached the window";
  ASSERT_FALSE(progress.threads.empty());
  for (DWORD thread : progress.threads) EXPECT_EQ(GetCurrentThreadId(), thread);
}

TEST_F(MainWindowTest, ClosingDestroysTheWindowAndEndsTheLoop) {
  Open("outdated");
  HWND window = main();
  Close();
  EXPECT_FALSE(IsWindow(window));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

}  // namespace
