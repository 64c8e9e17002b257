#include "window-demo/Replug.h"

#include <dbt.h>

#include <cstring>

#include "platform/win32/gui/Win32WindowShell.h"

namespace {

constexpr char kHelperClass[] = "Tessaloft.TQ214.DemoReplug";
constexpr UINT kWmRemove = WM_APP + 0x20;
constexpr UINT kWmVanished = WM_APP + 0x21;
constexpr UINT_PTR kAttachTimer = 1;
constexpr UINT_PTR kRemoveTimer = 2;
// From the end of the update to the removal (the chip restarts), and from
// the removal to the new arrival.
constexpr UINT kRestartMs = 1000;
constexpr UINT kReattachMs = 300;

// The USB device interface class the updater registers for.
constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// The system sends device changes (their records cannot be posted); so does
// the demo, from the window thread.
void SendDeviceChange(HWND window, WPARAM event) {
  DEV_BROADCAST_DEVICEINTERFACE_A record;
  std::memset(&record, 0, sizeof record);
  record.dbcc_size = sizeof record;
  record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  record.dbcc_classguid = kUsbDeviceInterface;
  const LPARAM lParam = event == DBT_DEVNODES_CHANGED ? 0 : reinterpret_cast<LPARAM>(&record);
  SendMessageA(window, WM_DEVICECHANGE, event, lParam);
}

}  // namespace

Replug::~Replug() {
  if (helper_ != nullptr) DestroyWindow(helper_);
}

bool Replug::Create(HINSTANCE instance, HWND updaterWindow) {
  updater_ = updaterWindow;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Replug::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kHelperClass;
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  helper_ =
      CreateWindowExA(0, kHelperClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (helper_ == nullptr) return false;
  SetWindowLongPtrA(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void Replug::Reenumerate(const std::string& path) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    toRemove_.push_back(path);
  }
  PostMessageA(helper_, kWmRemove, 0, 0);
}

void Replug::Vanished(const std::string&) {
  PostMessageA(helper_, kWmVanished, 0, 0);
}

bool Replug::Pop(std::deque<std::string>& from, std::string* path) {
  std::lock_guard<std::mutex> guard(lock_);
  if (from.empty()) return false;
  *path = from.front();
  from.pop_front();
  return true;
}

void Replug::Remove() {
  std::string path;
  while (Pop(toRemove_, &path)) {
    machine_.Remove(path);
    SendDeviceChange(updater_, DBT_DEVICEREMOVECOMPLETE);
    {
      std::lock_guard<std::mutex> guard(lock_);
      toAttach_.push_back(path);
    }
    SetTimer(helper_, kAttachTimer, kReattachMs, nullptr);
  }
}

void Replug::Attach() {
  KillTimer(helper_, kAttachTimer);
  std::string path;
  while (Pop(toAttach_, &path)) {
    machine_.Reattach(path);
    SendDeviceChange(updater_, DBT_DEVNODES_CHANGED);
  }
}

LRESULT CALLBACK Replug::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Replug*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  const bool timer = message == WM_TIMER && (wParam == kAttachTimer || wParam == kRemoveTimer);
  if (self == nullptr || !(timer || message == kWmRemove || message == kWmVanished)) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == kWmVanished) {
    SendDeviceChange(self->updater_, DBT_DEVICEREMOVECOMPLETE);
  } else if (message == kWmRemove) {
    SetTimer(window, kRemoveTimer, kRestartMs, nullptr);
  } else if (self->shell_.DeviceWorkRunning()) {
    // Not reached while the window thread waits for device work (it takes no
    // timer messages then); should it ever be, the timer fires again later.
  } else if (wParam == kRemoveTimer) {
    KillTimer(window, kRemoveTimer);
    self->Remove();
  } else {
    self->Attach();
  }
  return 0;
}
