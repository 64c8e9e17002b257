#pragma once
// Times firmware downloads as the device sees them, whichever program sends
// them: from the CBW of the WRITE BUFFER piece at offset 0 to the CSW of the
// piece that completes the firmware (kActivationSize bytes written without a
// gap). A failed piece, or a piece that leaves a gap, ends the run unreported.

#include <chrono>
#include <cstdint>
#include <functional>

#include "usb-gadget/BotSession.h"

struct DownloadTiming {
  uint32_t pieces = 0;
  uint32_t bytes = 0;
  std::chrono::microseconds duration{0};
};

class DownloadClock final : public CommandObserver {
 public:
  using Report = std::function<void(const DownloadTiming&)>;
  explicit DownloadClock(Report report) : report_(std::move(report)) {}

  void OnCommand(const CommandRecord& record) override;

 private:
  Report report_;
  bool running_ = false;
  std::chrono::steady_clock::time_point start_;
  uint32_t pieces_ = 0;
  uint32_t end_ = 0;  // the next offset that continues the run
};
