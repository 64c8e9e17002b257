#include "cli/fleet/ServiceNotices.h"

#include <utility>

ServiceNotices::ServiceNotices(ServiceManager* manager, std::function<double()> seconds)
    : manager_(manager), seconds_(std::move(seconds)) {
  if (manager_ == nullptr) return;
  watchdogSeconds_ = static_cast<double>(manager_->WatchdogMicroseconds()) / 2e6;
  if (watchdogSeconds_ > 0) lastAlive_ = seconds_();
}

std::string ServiceNotices::Status(const WatchCounts& counts) const {
  return std::string(stopping_ ? "stopping: " : "watching: ") + std::to_string(counts.updated) +
         " updated, " + std::to_string(counts.failed) + " failed, " +
         std::to_string(counts.running) + " running" +
         (counts.last.empty() ? "" : "; last " + counts.last);
}

void ServiceNotices::Ready(const WatchCounts& counts) {
  if (manager_ == nullptr || ready_) return;
  ready_ = true;
  const std::string status = Status(counts);
  // A status the manager did not take is said again at the next look.
  if (manager_->Notify("READY=1\nSTATUS=" + status)) status_ = status;
}

void ServiceNotices::Counts(const WatchCounts& counts) {
  if (manager_ == nullptr || !ready_) return;
  const std::string status = Status(counts);
  if (status == status_) return;
  if (manager_->Notify("STATUS=" + status)) status_ = status;
}

void ServiceNotices::Stopping() {
  if (manager_ == nullptr || stopping_) return;
  stopping_ = true;
  manager_->Notify("STOPPING=1");
}

void ServiceNotices::Alive() {
  if (manager_ == nullptr || watchdogSeconds_ <= 0) return;
  const double now = seconds_();
  if (now - lastAlive_ < watchdogSeconds_) return;
  lastAlive_ = now;
  manager_->Notify("WATCHDOG=1");
}
