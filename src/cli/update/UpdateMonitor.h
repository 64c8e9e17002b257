#pragma once
// The engine's observer during tq214 update: forwards progress to the bar or
// the lines, starts holding stop requests at the download's first write, and
// keeps how far the update has got, for the notice a held request prints.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/update/InterruptHold.h"
#include "cli/update/Progress.h"
#include "engine/UpdateObserver.h"

class UpdateMonitor final : public UpdateObserver {
 public:
  // `hold` may be null (nothing is held); `seconds` is a steady clock;
  // `notices`, where the notice of a held request goes (none when null).
  UpdateMonitor(ProgressFeed& feed, InterruptHold* hold, std::function<double()> seconds,
                std::ostream* notices = nullptr)
      : feed_(feed), hold_(hold), seconds_(std::move(seconds)), notices_(notices) {}

  void OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) override;
  void OnWritesBegin() override;
  // Accepts the chip the update reads when it is the one examined (its chip
  // information byte for byte), or when none was given.
  bool AcceptChip(const uint8_t* chipInfo, uint32_t length) override;
  void ExpectChip(const std::array<uint8_t, 16>& chipInfo) {
    expected_ = chipInfo;
    expecting_ = true;
  }
  // The update found another chip than the one examined: nothing was written.
  bool chipChanged() const { return chipChanged_; }
  // With --trace: where the line of `note` goes ("(note)").
  void SetTrace(std::ostream* trace) { trace_ = trace; }
  void Trace(const std::string& note) {
    if (trace_ && !note.empty()) *trace_ << "(" + note + ")\n" << std::flush;
  }
  // The configuration block's stage, and the end of the update's progress.
  void Configuration(uint32_t done) { feed_.Configuration(done); }
  void End() { feed_.End(); }
  // Whether the download has begun to write the chip.
  bool writing() const { return start_ >= 0; }
  // Ends this update's part in the hold it began (once, at its first write);
  // names the requests held, when it was the last part. A run's hold
  // (RecordHold) goes on until the update's record is written.
  std::vector<std::string> ReleaseHold();
  // About how many seconds the update still takes; -1 while that cannot be
  // told. Safe to call from another thread.
  int SecondsLeftNow() const;

  // "tq214: an update is running ..." with the time it still takes, as far as
  // it can be told. Safe to call from another thread.
  std::string Notice() const;

 private:
  ProgressFeed& feed_;
  InterruptHold* hold_;
  std::function<double()> seconds_;
  std::ostream* notices_;
  std::ostream* trace_ = nullptr;
  std::atomic<double> start_{-1};
  std::atomic<double> fraction_{0};  // of writing and verifying together
  bool holding_ = false;
  std::array<uint8_t, 16> expected_{};
  bool expecting_ = false;
  bool chipChanged_ = false;
};

// The time still to go when `fraction` of the work took `elapsed` seconds: a
// whole number of seconds, or -1 while too little is done to tell.
int SecondsLeft(double fraction, double elapsed);
