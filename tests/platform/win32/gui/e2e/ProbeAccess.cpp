#include "ProbeAccess.h"

// <oleacc.h> uses the base types that <windows.h> declares.
#include <oleacc.h>

#include "platform/win32/gui/WindowMessages.h"

namespace {

constexpr DWORD kEventLiveRegionChanged = 0x8019;

LiveRegionEar* g_ear = nullptr;

// The name oleacc gives `window`; "(none)" when it gives none.
std::string AccessibleName(HWND window) {
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&accessible)))) {
    return "(none)";
  }
  VARIANT self = {};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::string text = "(none)";
  if (accessible->get_accName(self, &name) == S_OK && name != nullptr) {
    char narrow[512] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    text = narrow;
  }
  SysFreeString(name);
  accessible->Release();
  return text;
}

}  // namespace

void ExpectAccessibleNames(Checks& checks, const UpdaterHandles& w) {
  HWND list = GetDlgItem(w.main, control_id::kDeviceList);
  HWND refresh = GetDlgItem(w.main, control_id::kRefresh);
  const struct {
    const char* control;
    HWND window;
    std::string shown;
  } controls[] = {
      {"pnl_Descript_1", w.lines[0], Text(w.lines[0])},
      {"pnl_Descript_2", w.lines[1], Text(w.lines[1])},
      {"pnl_Descript_3", w.lines[2], Text(w.lines[2])},
      {"pnl_Descript_4", w.lines[3], Text(w.lines[3])},
      {"pnl_Descript_5", w.lines[4], Text(w.lines[4])},
      {"btn_Update", w.update, "Update"},
      {"btn_Refresh", refresh, "Refresh"},
      // A drop-down list's text is its selected item. (Not CB_GETLBTEXT: from
      // another process Wine writes the item at its UTF-16 size, twice what
      // the reader's buffer is asked to hold.)
      {"cbb_DeviceList", list, Text(list)},
  };
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (const auto& c : controls) {
    const std::string name = AccessibleName(c.window);
    checks.Expect(!c.shown.empty() && name == c.shown,
                  std::string(c.control) + " is named \"" + name + "\"");
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

LiveRegionEar::LiveRegionEar(DWORD processId)
    : hook_(SetWinEventHook(kEventLiveRegionChanged, kEventLiveRegionChanged, nullptr, &OnEvent,
                            processId, 0, WINEVENT_OUTOFCONTEXT)) {
  g_ear = this;
}

LiveRegionEar::~LiveRegionEar() {
  if (hook_ != nullptr) UnhookWinEvent(hook_);
  g_ear = nullptr;
}

void CALLBACK LiveRegionEar::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                     LONG child, DWORD, DWORD) {
  if (g_ear == nullptr || event != kEventLiveRegionChanged || object != OBJID_CLIENT ||
      child != CHILDID_SELF) {
    return;
  }
  g_ear->heard_.push_back({window, Text(window)});
}
