#pragma once
// The service manager that started tq214, when one did: on Linux systemd,
// told of the program's state through $NOTIFY_SOCKET (linux/Systemd.cpp).

#include <cstdint>
#include <string>

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // One message of assignments ("READY=1", "STATUS=..."), one per line;
  // nothing happens when no service manager listens. Never waits: a manager
  // that does not take it (its queue full) loses it. Whether it was taken.
  virtual bool Notify(const std::string& state) = 0;
  // The interval within which the manager expects WATCHDOG=1; 0 when it
  // expects none.
  virtual uint64_t WatchdogMicroseconds() const = 0;
};

// This system's service manager, reached through `notifySocket` (the value
// of NOTIFY_SOCKET); null where there is none.
ServiceManager* ServiceManagerOfPlatform(const std::string& notifySocket);
