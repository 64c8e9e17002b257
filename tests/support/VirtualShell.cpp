#include "support/VirtualShell.h"

#include <algorithm>
#include <cstring>

#include "IDEAccess/ByteOrder.h"
#include "Tessaloft_main/TForm1.h"

void VirtualShell::Sleep(uint32_t milliseconds) {
  sleeps.push_back(milliseconds);
  now += milliseconds;
}

int VirtualShell::ShowMessageBox(const char* text, const char* caption, uint32_t style) {
  boxes.push_back({text, caption, style});
  if (onMessageBox) onMessageBox();
  return kIdOk;
}

void VirtualShell::DispatchToWindow(const Message& message) {
  dispatched.push_back(message);
  if (Form1) Form1->Dispatch(message.message, message.wParam);
}

bool VirtualShell::DispatchDueTimer() {
  for (const auto& timer : timers) {
    if (timer.second.deadline <= now) {
      // A window timer keeps firing every period until it is killed.
      const uint32_t id = timer.first;
      timers[id].deadline = now + timer.second.period;
      DispatchToWindow({kWmTimer, id});
      return true;
    }
  }
  return false;
}

void VirtualShell::ProcessMessages() {
  ++pumps;
  if (onPump) onPump();
  std::vector<Message> pending;
  pending.swap(queue);
  for (const Message& message : pending) DispatchToWindow(message);
  while (DispatchDueTimer()) {
  }
}

void VirtualShell::RunLoop(uint64_t milliseconds) {
  const uint64_t end = now + milliseconds;
  for (;;) {
    if (!queue.empty()) {
      const Message message = queue.front();
      queue.erase(queue.begin());
      DispatchToWindow(message);
      continue;
    }
    if (DispatchDueTimer()) continue;
    if (timers.empty()) break;
    uint64_t next = UINT64_MAX;
    for (const auto& timer : timers) next = std::min(next, timer.second.deadline);
    if (next > end) break;
    now = std::max(now, next);
  }
  now = end;
}

void VirtualShell::SetWindowTimer(uint32_t id, uint32_t milliseconds) {
  timers[id] = {now + milliseconds, milliseconds};
}

void VirtualShell::KillWindowTimer(uint32_t id) {
  timers.erase(id);
}

bool VirtualShell::QueryVersionRecord(uint8_t* record) {
  const uint32_t size = GetLe32(record);
  versionQueries.push_back(size);
  if (size == 156 && refuseExtendedVersion) return false;
  if (size != 156 && size != 148) return false;
  PutLe32(record + 4, osMajor);
  PutLe32(record + 8, osMinor);
  return true;
}

WindowRef VirtualShell::OpenDialog(const std::string& className, const std::string& title) {
  dialogs.push_back({className, title, true, 0});
  return dialogs.size();
}

WindowRef VirtualShell::FindTopWindow(const char* className, const char* title) {
  for (size_t i = 0; i < dialogs.size(); ++i) {
    const Dialog& d = dialogs[i];
    if (d.open && d.className == className && d.title == title) return i + 1;
  }
  return 0;
}

bool VirtualShell::PostWindowMessage(WindowRef window, uint32_t message, uintptr_t, intptr_t) {
  if (window == 0 || window > dialogs.size()) return false;
  Dialog& d = dialogs[window - 1];
  ++d.closeRequests;
  if (message == kWmClose) d.open = false;
  return true;
}

NotifyRef VirtualShell::RegisterDeviceNotifications(const uint8_t* filter) {
  notificationFilter.assign(filter, filter + 32);
  registration = registrationToGive;
  return registration;
}

void VirtualShell::UnregisterDeviceNotifications(NotifyRef handle) {
  unregistered.push_back(handle);
}

bool VirtualShell::ExecutableFileVersion(uint16_t version[4]) {
  if (!hasVersion) return false;
  std::memcpy(version, fileVersion, sizeof fileVersion);
  return true;
}
