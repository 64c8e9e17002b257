#include "platform/win32/gui/DpiScale.h"

#include "platform/win32/gui/User32Function.h"

namespace {

// Older systems have neither: they are looked up at run time.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

int ScaleToDpi(int layoutPixels, UINT dpi) {
  return MulDiv(layoutPixels, static_cast<int>(dpi), static_cast<int>(kLayoutDpi));
}

int FontHeightForPoints(int points, UINT dpi) {
  constexpr int kPointsPerInch = 72;
  return -MulDiv(points, static_cast<int>(dpi), kPointsPerInch);
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto adjustForDpi =
      User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT rect = {0, 0, width, height};
  if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) {
    rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}
