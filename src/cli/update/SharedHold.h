#pragma once
// One hold of stop requests for several updates at once: held from the first
// device's first write until the last update running has ended. Safe from
// several threads; each update begins and ends it once.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cli/update/InterruptHold.h"

class SharedHold final : public InterruptHold {
 public:
  // `inner` may be null (nothing is held); `announce` prints what a held
  // request prints, whichever update it arrived in.
  SharedHold(InterruptHold* inner, std::function<void()> announce)
      : inner_(inner), announce_(std::move(announce)) {}

  // A device's update begins to write (its own notice is not used).
  void Begin(std::function<void()>) override;
  // A device's update has ended; names what was held when it was the last.
  std::vector<std::string> End() override;
  std::vector<std::string> HeldSoFar() const override;
  bool requested() const override { return inner_ != nullptr && inner_->requested(); }
  void SetRunEndsOnRequest(bool on) override {
    if (inner_ != nullptr) inner_->SetRunEndsOnRequest(on);
  }
  // Everything held while any update ran, in order.
  std::vector<std::string> held() const;

 private:
  InterruptHold* inner_;
  std::function<void()> announce_;
  mutable std::mutex lock_;
  int running_ = 0;
  std::vector<std::string> held_;
};
