#include "cli/update/UpdateMonitor.h"

#include <cmath>
#include <cstring>

namespace {

// Below this share of the work the time so far says nothing of the rest.
constexpr double kFractionToEstimate = 0.05;

}  // namespace

int SecondsLeft(double fraction, double elapsed) {
  if (fraction < kFractionToEstimate || fraction > 1 || elapsed < 0) return -1;
  return static_cast<int>(std::ceil(elapsed * (1 - fraction) / fraction));
}

void UpdateMonitor::OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) {
  feed_.OnProgress(phase, done, total);
  if (total == 0) return;
  const double part = static_cast<double>(done) / total / 2;
  fraction_ = phase == UpdatePhase::kVerifying ? 0.5 + part : part;
}

void UpdateMonitor::OnWritesBegin() {
  if (start_ < 0 && seconds_) start_ = seconds_();
  if (hold_ && !holding_) {
    hold_->Begin([this] {
      if (notices_) *notices_ << Notice() << std::flush;
    });
  }
  holding_ = true;
}

bool UpdateMonitor::AcceptChip(const uint8_t* chipInfo, uint32_t length) {
  if (!expecting_) return true;
  chipChanged_ =
      length != expected_.size() || std::memcmp(chipInfo, expected_.data(), expected_.size()) != 0;
  return !chipChanged_;
}

std::vector<std::string> UpdateMonitor::ReleaseHold() {
  if (!holding_ || hold_ == nullptr) return {};
  holding_ = false;
  return hold_->End();
}

int UpdateMonitor::SecondsLeftNow() const {
  const double start = start_;
  return SecondsLeft(fraction_, start < 0 || !seconds_ ? -1 : seconds_() - start);
}

std::string UpdateMonitor::Notice() const {
  const int left = SecondsLeftNow();
  std::string when = left < 0 ? "how long it still takes cannot be told yet"
                              : "it ends in about " + std::to_string(left) + " s";
  return "\ntq214: an update is running; stopping it now could leave the enclosure unusable. "
         "The request to stop is held until the update has ended (" +
         when + ").\n";
}
