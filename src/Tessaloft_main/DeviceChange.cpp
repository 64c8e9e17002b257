#include <cstring>

#include "IDEAccess/ByteOrder.h"
#include "Tessaloft_main/TForm1.h"
#include "seams/Seams.h"

namespace {

// The notification filter: a device-interface broadcast record of 32 bytes
// (size, device type, reserved, class GUID, one name character and padding).
constexpr size_t kFilterSize = 32;
constexpr size_t kFilterSizeField = 0;
constexpr size_t kFilterDeviceType = 4;
constexpr size_t kFilterClassGuid = 12;
constexpr uint32_t kDeviceTypeInterface = 5;

// The USB device interface class {A5DCBF10-6530-11D2-901F-00C04FB951ED}, in
// the system's byte order (first three fields little-endian).
constexpr uint8_t kUsbDeviceInterfaceGuid[16] = {0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11,
                                                 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};

}  // namespace

void TForm1::RegisterUsbNotification() {
  uint8_t filter[kFilterSize] = {};
  PutLe32(filter + kFilterSizeField, kFilterSize);
  PutLe32(filter + kFilterDeviceType, kDeviceTypeInterface);
  std::memcpy(filter + kFilterClassGuid, kUsbDeviceInterfaceGuid, sizeof kUsbDeviceInterfaceGuid);
  // A failed registration is not an error: the system still sends every
  // top-level window the device-nodes-changed event.
  DevNotify = ActiveShell().RegisterDeviceNotifications(filter);
}

void TForm1::UnregisterUsbNotification() {
  if (DevNotify == 0) return;
  ActiveShell().UnregisterDeviceNotifications(DevNotify);
  DevNotify = 0;
}

void TForm1::WMDeviceChange(uintptr_t event) {
  if (event != kDbtDeviceRemoveComplete && event != kDbtDevNodesChanged) return;
  ActiveShell().KillWindowTimer(kRefreshTimerId);
  ActiveShell().SetWindowTimer(kRefreshTimerId, kRefreshTimerMs);
}

void TForm1::WMTimer(uintptr_t timerId) {
  if (timerId != kRefreshTimerId) return;
  ActiveShell().KillWindowTimer(kRefreshTimerId);
  btn_RefreshClick(&btn_Refresh);
}
