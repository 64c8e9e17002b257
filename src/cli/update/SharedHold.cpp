#include "cli/update/SharedHold.h"

#include <algorithm>

void SharedHold::Begin(std::function<void()>) {
  std::lock_guard<std::mutex> guard(lock_);
  if (running_++ == 0 && inner_ != nullptr) inner_->Begin(announce_);
}

std::vector<std::string> SharedHold::End() {
  std::lock_guard<std::mutex> guard(lock_);
  if (running_ == 0) return {};
  if (--running_ != 0 || inner_ == nullptr) return {};
  for (const std::string& name : inner_->End()) {
    if (std::find(held_.begin(), held_.end(), name) == held_.end()) held_.push_back(name);
  }
  return held_;
}

std::vector<std::string> SharedHold::HeldSoFar() const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> names = held_;
  for (const std::string& name : inner_ ? inner_->HeldSoFar() : names) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

std::vector<std::string> SharedHold::held() const {
  std::lock_guard<std::mutex> guard(lock_);
  return held_;
}
