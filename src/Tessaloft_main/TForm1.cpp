#include "Tessaloft_main/TForm1.h"

#include "seams/Seams.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int kPanelFontPoints = 12;       // character height 16 pixels
constexpr int kPanelSmallFontPoints = 10;  // character height 13 pixels
constexpr int kDefaultFontPoints = 8;      // character height 11 pixels

FontStyle Regular(int points) {
  FontStyle font;
  font.sizePoints = points;
  return font;
}

}  // namespace

TForm1::TForm1() {
  Form1 = this;
  cbb_DeviceList.SetText("DeviceList");
  cbb_DeviceList.SetVisible(false);
  cbb_DeviceList.SetFont(Regular(kDefaultFontPoints));
  btn_Refresh.SetText("Refresh");
  btn_Refresh.SetVisible(false);
  btn_Refresh.SetFont(Regular(kDefaultFontPoints));
  pnl_Descript_2.SetText("pnl_2");
  pnl_Descript_2.SetFont(Regular(kPanelFontPoints));
  pnl_Descript_1.SetText("pnl_1");
  pnl_Descript_1.SetFont(Regular(kPanelFontPoints));
  btn_Update.SetText("Update");
  btn_Update.SetFont(Regular(kPanelFontPoints));
  pnl_Descript_3.SetText("pnl_3");
  pnl_Descript_3.SetFont(Regular(kPanelFontPoints));
  pnl_Descript_5.SetText("pnl_5");
  pnl_Descript_5.SetFont(Regular(kPanelSmallFontPoints));
  pnl_Descript_4.SetText("pnl_4");
  pnl_Descript_4.SetFont(Regular(kPanelFontPoints));
  prg_Update.SetVisible(false);

  btn_RefreshClick(&btn_Refresh);
}

TForm1::~TForm1() {
  UnregisterUsbNotification();
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::Dispatch(uint32_t message, uintptr_t wParam) {
  if (message == kWmTimer) {
    WMTimer(wParam);
  } else if (message == kWmDeviceChange) {
    WMDeviceChange(wParam);
  }
}
