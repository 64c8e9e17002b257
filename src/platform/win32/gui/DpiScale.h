#pragma once
// The window's layout is given in pixels at 96 dots per inch; these scale it
// to the dots per inch of the monitor the window is on.

#include <windows.h>

constexpr UINT kLayoutDpi = 96;

// The window's dots per inch: the system's per-window answer where it has
// one, else the screen's logical pixels per inch.
UINT WindowDpi(HWND window);

// A layout length in pixels at `dpi`.
int ScaleToDpi(int layoutPixels, UINT dpi);

// A font's character height in pixels (negative, as fonts take it) for a
// size in points at `dpi`: 12 pt is -16 at 96 dpi, 10 pt -13.
int FontHeightForPoints(int points, UINT dpi);

// The outer size of a window with this style whose client area is
// width x height at `dpi`.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi);
