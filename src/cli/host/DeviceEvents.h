#pragma once
// When the machine's disks may have come or gone, for tq214 watch. A watch
// waits on these, then looks at the disk list itself: an event only says
// "look now".
//
// - PollingEvents looks at the disk interface list twice a second (no device
//   is sent a command for it).
// - TimelineEvents plays a simulated machine's timeline (enclosures plugged
//   and unplugged over time) and looks at the list as PollingEvents does; it
//   is finished when the timeline is over.
// - On Linux the kernel's own device events (linux/UeventEvents.h).

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/Scenarios.h"

class DeviceEvents {
 public:
  virtual ~DeviceEvents() = default;
  // Waits at most `milliseconds`; true when the disks may have changed.
  virtual bool Wait(uint32_t milliseconds) = 0;
  // A simulated machine's timeline ends; a real machine's events never do.
  virtual bool Finished() const { return false; }
  // After an update: on a simulated machine the technician unplugs the
  // enclosure at `path` and plugs it in again a moment later; on a real one
  // a person does, and nothing happens here.
  virtual void SimulateReconnect(const std::string& path) { (void)path; }
};

// Whether the list of disks discovery would look at changed since the last look.
class DiskListLook {
 public:
  bool Changed();

 private:
  std::vector<std::string> last_;
  bool looked_ = false;
};

class PollingEvents final : public DeviceEvents {
 public:
  bool Wait(uint32_t milliseconds) override;

 private:
  DiskListLook look_;
  std::chrono::steady_clock::time_point next_{};
};

class TimelineEvents final : public DeviceEvents {
 public:
  TimelineEvents(VirtualMachine& machine, std::vector<TimelineStep> steps);
  bool Wait(uint32_t milliseconds) override;
  bool Finished() const override { return next_ >= steps_.size(); }
  void SimulateReconnect(const std::string& path) override;

 private:
  VirtualMachine& machine_;
  std::vector<TimelineStep> steps_;
  size_t next_ = 0;
  std::chrono::steady_clock::time_point start_;
  DiskListLook look_;
};
