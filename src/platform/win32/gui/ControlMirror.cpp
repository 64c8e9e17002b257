#include "platform/win32/gui/ControlMirror.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(window, text.data(), length + 1);
  return std::string(text.data());
}

void MirrorItems(const TComboBox& list, HWND child) {
  SendMessageA(child, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : list.items()) {
    SendMessageA(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(list.itemIndex()), 0);
}

void MirrorProgress(const TProgressBar& bar, HWND child) {
  const uint32_t maximum = bar.maximum() == 0 ? 1 : bar.maximum();
  SendMessageA(child, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
  SendMessageA(child, PBM_SETPOS, static_cast<WPARAM>(bar.position()), 0);
}

}  // namespace

void MirrorControl(const Control& control, HWND child) {
  if (child == nullptr) return;
  if (const auto* list = dynamic_cast<const TComboBox*>(&control)) {
    MirrorItems(*list, child);
  } else if (const auto* bar = dynamic_cast<const TProgressBar*>(&control)) {
    MirrorProgress(*bar, child);
  } else if (WindowText(child) != control.text()) {
    // Setting an unchanged text would only make the line flicker.
    SetWindowTextA(child, control.text().c_str());
  }
  if ((IsWindowEnabled(child) != FALSE) != control.enabled()) {
    EnableWindow(child, control.enabled() ? TRUE : FALSE);
  }
  const bool shown = (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != control.visible()) ShowWindow(child, control.visible() ? SW_SHOWNA : SW_HIDE);
}
