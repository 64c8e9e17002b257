#include "cli/host/DeviceEvents.h"

#include <algorithm>
#include <thread>

#include "IDEAccess/Discovery.h"

namespace {

// How often the disk list is looked at when nothing tells of a change.
constexpr auto kPollPeriod = std::chrono::milliseconds(500);

}  // namespace

bool DiskListLook::Changed() {
  std::vector<std::string> now = ListBusDiskPaths(1);
  std::sort(now.begin(), now.end());
  const bool changed = !looked_ || now != last_;
  looked_ = true;
  last_ = std::move(now);
  return changed;
}

bool PollingEvents::Wait(uint32_t milliseconds) {
  const auto now = std::chrono::steady_clock::now();
  if (now < next_) {
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        next_ - now, std::chrono::milliseconds(milliseconds)));
    if (std::chrono::steady_clock::now() < next_) return false;
  }
  next_ = std::chrono::steady_clock::now() + kPollPeriod;
  return look_.Changed();
}

TimelineEvents::TimelineEvents(VirtualMachine& machine, std::vector<TimelineStep> steps)
    : machine_(machine), steps_(std::move(steps)), start_(std::chrono::steady_clock::now()) {}

void TimelineEvents::SimulateReconnect(const std::string& path) {
  // Unplugged a moment after the update, plugged in again a moment later.
  constexpr uint32_t kUnplugMs = 150;
  constexpr uint32_t kPlugMs = 300;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start_)
                       .count();
  const auto at = static_cast<uint32_t>(now);
  std::vector<TimelineStep> later(steps_.begin() + static_cast<std::ptrdiff_t>(next_),
                                  steps_.end());
  later.push_back({at + kUnplugMs, path, false});
  later.push_back({at + kPlugMs, path, true});
  std::stable_sort(later.begin(), later.end(),
                   [](const TimelineStep& a, const TimelineStep& b) { return a.atMs < b.atMs; });
  steps_.resize(next_);
  steps_.insert(steps_.end(), later.begin(), later.end());
}

bool TimelineEvents::Wait(uint32_t milliseconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  if (next_ < steps_.size()) {
    until = std::min(until, start_ + std::chrono::milliseconds(steps_[next_].atMs));
  }
  std::this_thread::sleep_until(until);
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  for (; next_ < steps_.size() && elapsed >= std::chrono::milliseconds(steps_[next_].atMs);
       ++next_) {
    const TimelineStep& step = steps_[next_];
    if (step.plug) {
      machine_.Reattach(step.path);
    } else {
      machine_.Remove(step.path);
    }
  }
  return look_.Changed();
}
