#pragma once
// What a watch tells the service manager that started it (a systemd unit of
// Type=notify, packaging/tq214-watch.service): READY=1 once it has looked at
// the enclosures attached; STATUS= with its counts whenever they change
// and the last enclosure that came to an end ("watching: 3 updated, 1
// failed, 0 running; last E:  #0000000000000214 PASS"); STOPPING=1 once asked to
// stop, after which the counts read "stopping: ..." while the updates
// running end; and WATCHDOG=1 every half of the watchdog interval, when the
// manager set one. Nothing is said without a manager: the notices of a
// program no manager started find no socket and go nowhere.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "cli/fleet/ServiceManager.h"

struct WatchCounts {
  size_t updated = 0;  // PASS
  size_t failed = 0;   // FAIL
  size_t running = 0;  // updates under way
  std::string last;    // the last enclosure that came to an end and how: "E:  #214 PASS"
};

class ServiceNotices {
 public:
  // `manager`: null where the platform talks to none (Windows, a build
  // without libsystemd) and in tests that give none; otherwise there, whether
  // a manager started the program or not. `seconds`: a steady clock.
  ServiceNotices(ServiceManager* manager, std::function<double()> seconds);

  // The first call only: the watch has looked at what is attached.
  void Ready(const WatchCounts& counts);
  // Once ready, when the counts changed.
  void Counts(const WatchCounts& counts);
  // The first call only: a request to stop arrived.
  void Stopping();
  // Called often by the watch: says WATCHDOG=1 when it is due.
  void Alive();

 private:
  std::string Status(const WatchCounts& counts) const;

  ServiceManager* manager_;
  std::function<double()> seconds_;
  double watchdogSeconds_ = 0;  // half the interval; 0 without a watchdog
  double lastAlive_ = 0;
  bool ready_ = false;
  bool stopping_ = false;
  std::string status_;  // the last STATUS= said
};
