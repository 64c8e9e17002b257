#include "platform/win32/Win32DiskInterfaces.h"

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <setupapi.h>
#include <winioctl.h>
// clang-format on

#include <cstddef>
#include <cstring>

namespace {

// The detail record is a cbSize word followed by the path; in this 32-bit
// build the system expects cbSize 5 in the record and 28 in the interface
// record. Taking both from sizeof keeps them right in any other build.
constexpr DWORD kDetailBlockSize = 1024;
constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;
static_assert(kPresentInterfaces == 0x12, "present device interfaces");
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5,
              "detail record size of the 32-bit system");
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVICE_INTERFACE_DATA) == 28,
              "interface record size of the 32-bit system");
constexpr size_t kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
static_assert(kPathOffset < kDetailBlockSize, "the path starts inside the block");

HDEVINFO SetOf(void* set) {
  return static_cast<HDEVINFO>(set);
}

}  // namespace

bool Win32DiskInterfaces::Open() {
  Close();
  HDEVINFO set =
      SetupDiGetClassDevsA(&GUID_DEVINTERFACE_DISK, nullptr, nullptr, kPresentInterfaces);
  if (set == INVALID_HANDLE_VALUE) return false;
  HGLOBAL detail = GlobalAlloc(GMEM_ZEROINIT, kDetailBlockSize);
  if (detail == nullptr) {
    SetupDiDestroyDeviceInfoList(set);
    return false;
  }
  // GMEM_FIXED (0): the handle is the block's address.
  static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail)->cbSize =
      sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  set_ = set;
  detail_ = detail;
  return true;
}

InterfaceStep Win32DiskInterfaces::Get(uint32_t index, std::string* path) {
  if (set_ == nullptr) return InterfaceStep::kEndOfList;
  SP_DEVICE_INTERFACE_DATA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
  if (!SetupDiEnumDeviceInterfaces(SetOf(set_), nullptr, &GUID_DEVINTERFACE_DISK, index, &record)) {
    return InterfaceStep::kEndOfList;
  }
  auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail_);
  if (!SetupDiGetDeviceInterfaceDetailA(SetOf(set_), &record, detail, kDetailBlockSize, nullptr,
                                        nullptr)) {
    return InterfaceStep::kDetailFailed;
  }
  // The system ends the path with a NUL; the block's end bounds it regardless.
  const char* text = detail->DevicePath;
  path->assign(text, strnlen(text, kDetailBlockSize - kPathOffset));
  return InterfaceStep::kPath;
}

void Win32DiskInterfaces::Close() {
  if (detail_ != nullptr) GlobalFree(static_cast<HGLOBAL>(detail_));
  if (set_ != nullptr) SetupDiDestroyDeviceInfoList(SetOf(set_));
  detail_ = nullptr;
  set_ = nullptr;
}
