#pragma once
// The kernel's device events on Linux: the uevent netlink socket, which any
// user may listen to. A block device added, removed or changed says "look
// now"; nothing is polled.

#include <memory>

#include "cli/host/DeviceEvents.h"

class UeventEvents final : public DeviceEvents {
 public:
  // Null when the socket cannot be had (then the caller polls).
  static std::unique_ptr<DeviceEvents> Open();
  ~UeventEvents() override;
  UeventEvents(const UeventEvents&) = delete;
  UeventEvents& operator=(const UeventEvents&) = delete;

  bool Wait(uint32_t milliseconds) override;

 private:
  explicit UeventEvents(int socket) : socket_(socket) {}
  int socket_;
  bool first_ = true;
};

// Whether one uevent message (NUL-separated "ACTION@DEVPATH", "KEY=VALUE"...)
// tells of a block device.
bool IsBlockUevent(const char* message, size_t size);
