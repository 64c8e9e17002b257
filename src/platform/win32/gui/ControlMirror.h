#pragma once
// Puts what a control of the window model holds into its child window: text,
// visibility, enabled state, list items and selection, progress. Fonts and
// colours are the view's (they depend on the window's dots per inch).

#include <windows.h>

#include "Tessaloft_main/Controls.h"

void MirrorControl(const Control& control, HWND child);
