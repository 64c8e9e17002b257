#include "platform/win32/gui/LiveRegion.h"

namespace {

// The live-setting property of a control, {C12BCD8E-2A8E-4950-8AE7-3625111D58EB},
// and its value "polite".
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kLivePolite = 1;
// Raised when the text of a live region changed; older headers lack it.
constexpr DWORD kEventLiveRegionChanged = 0x8019;

}  // namespace

void LiveRegion::Mark(HWND line) {
  Unmark();
  line_ = line;
  if (!services_.Create(CLSID_AccPropServices, IID_IAccPropServices)) return;
  VARIANT polite = {};
  polite.vt = VT_I4;
  polite.lVal = kLivePolite;
  marked_ = SUCCEEDED(services_->SetHwndProp(line_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             kLiveSettingProperty, polite));
}

void LiveRegion::Announce() const {
  if (line_ != nullptr) {
    NotifyWinEvent(kEventLiveRegionChanged, line_, OBJID_CLIENT, CHILDID_SELF);
  }
}

void LiveRegion::Unmark() {
  if (services_ && marked_) {
    const MSAAPROPID property = kLiveSettingProperty;
    services_->ClearHwndProps(line_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
  }
  services_.Reset();
  marked_ = false;
  line_ = nullptr;
}
