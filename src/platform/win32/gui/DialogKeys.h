#pragma once
// The keys a window of controls answers to without any control handling them:
// Tab and Shift+Tab move the focus among the controls that take it, in their
// order (the order they were created in, which is the layout's), and Enter
// presses the focused push button. Space needs nothing here: a push button
// presses itself on Space. The updater's message loops give every message to
// HandleDialogKey before translating and dispatching it.

#include <windows.h>

#include <vector>

// A child window takes the focus when it is a tab stop, shown and enabled.
bool TakesFocus(HWND control);

// The children of `window` that take the focus, in their order.
std::vector<HWND> FocusOrder(HWND window);

// The child of `window` that is or contains `focus`; null when `focus` is
// the window itself or outside it.
HWND ControlHolding(HWND window, HWND focus);

// True when `msg` is one of the keys above for `window` or one of its
// controls and has been acted on: the loop then neither translates nor
// dispatches it. A control that asks for the key itself (WM_GETDLGCODE), such
// as an open drop-down list for Enter, keeps it.
bool HandleDialogKey(HWND window, const MSG& msg);
