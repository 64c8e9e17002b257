#include "platform/win32/gui/DialogKeys.h"

#include <algorithm>

namespace {

bool Held(int virtualKey) {
  return GetKeyState(virtualKey) < 0;
}

void MoveFocus(HWND window, bool backwards) {
  const std::vector<HWND> order = FocusOrder(window);
  if (order.empty()) return;
  const auto current = std::find(order.begin(), order.end(), ControlHolding(window, GetFocus()));
  size_t next = backwards ? order.size() - 1 : 0;
  if (current != order.end()) {
    const size_t at = static_cast<size_t>(current - order.begin());
    next = (at + (backwards ? order.size() - 1 : 1)) % order.size();
  }
  SetFocus(order[next]);
  // Whoever moves the focus by keyboard needs to see where it went, also in a
  // window that hid its focus indicator because it was started by mouse.
  SendMessageA(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool PressFocusedButton(HWND window) {
  HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != window || !TakesFocus(focus)) return false;
  const LRESULT code = SendMessageA(focus, WM_GETDLGCODE, 0, 0);
  if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) == 0) return false;
  // What the button itself sends when clicked.
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
               reinterpret_cast<LPARAM>(focus));
  return true;
}

}  // namespace

bool TakesFocus(HWND control) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  return (style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE);
}

std::vector<HWND> FocusOrder(HWND window) {
  // Children are linked in the order they were created; the bar that was
  // raised over the fourth line is no tab stop.
  std::vector<HWND> order;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (TakesFocus(child)) order.push_back(child);
  }
  return order;
}

HWND ControlHolding(HWND window, HWND focus) {
  if (focus == nullptr || !IsChild(window, focus)) return nullptr;
  while (GetParent(focus) != window) focus = GetParent(focus);
  return focus;
}

bool HandleDialogKey(HWND window, const MSG& msg) {
  if (window == nullptr || msg.message != WM_KEYDOWN) return false;
  if (msg.wParam != VK_TAB && msg.wParam != VK_RETURN) return false;
  if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
  if (Held(VK_CONTROL) || Held(VK_MENU)) return false;
  MSG asked = msg;
  const LRESULT wants =
      SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&asked));
  if (wants & DLGC_WANTMESSAGE) return false;
  if (msg.wParam == VK_TAB) {
    if (wants & DLGC_WANTTAB) return false;
    MoveFocus(window, Held(VK_SHIFT));
    return true;
  }
  return PressFocusedButton(window);
}
