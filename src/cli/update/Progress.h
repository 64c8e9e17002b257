#pragma once
// The update's progress as tq214 shows it: three stages (writing the
// firmware pieces, verifying them, rewriting the configuration block) on one
// scale from 0 to 100 percent that never goes back. When the engine starts a
// second attempt, the stages begin again under attempt 2 while the percentage
// holds where it was until the new attempt passes it.

#include <cstdint>
#include <functional>
#include <ostream>

#include "cli/output/ProgressSink.h"
#include "engine/UpdateObserver.h"

enum class UpdateStage : uint8_t { kWriting, kVerifying, kConfiguration };

const char* StageName(UpdateStage stage);

struct ProgressState {
  UpdateStage stage = UpdateStage::kWriting;
  uint32_t done = 0;
  uint32_t total = 0;
  int attempt = 1;
  double fraction = 0;  // of the whole update, never decreasing
  int percent = 0;      // the fraction in whole percent, rounded down
};

// Turns the engine's reports into states.
class ProgressTracker {
 public:
  ProgressState Report(UpdateStage stage, uint32_t done, uint32_t total);

 private:
  ProgressState state_;
  bool started_ = false;
};

// Where the states go: a bar on a terminal, lines otherwise.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void Show(const ProgressState& state) = 0;
  // The update has ended; the view leaves the output at the start of a line.
  virtual void End() = 0;
};

// One line for each new stage or attempt and for every further 10 percent:
//   progress  20%  writing 20/49
// Lines are progress (ProgressSink): one not shown yet gives way to the next.
class PlainProgress final : public ProgressView {
 public:
  explicit PlainProgress(ProgressSink& progress) : progress_(progress) {}
  void Show(const ProgressState& state) override;
  void End() override {}

 private:
  ProgressSink& progress_;
  bool shown_ = false;
  ProgressState last_;
};

// One line rewritten in place:
//   writing        [#########...................]  31%  0:05 left
// The time left is what the time so far says for the rest; it shows once a
// twentieth of the update is done.
// Its drawings are progress on `progress`, the line's end at the update's
// end is written to `out`, the same output.
class BarProgress final : public ProgressView {
 public:
  BarProgress(std::ostream& out, ProgressSink& progress, std::function<double()> seconds)
      : out_(out), progress_(progress), seconds_(std::move(seconds)) {}
  void Show(const ProgressState& state) override;
  void End() override;

 private:
  std::ostream& out_;
  ProgressSink& progress_;
  std::function<double()> seconds_;
  double start_ = -1;
  bool drawn_ = false;
};

// The engine's observer, feeding a tracker and a view; the configuration
// stage is reported by the caller.
class ProgressFeed final : public UpdateObserver {
 public:
  explicit ProgressFeed(ProgressView* view) : view_(view) {}
  void OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) override;
  void Configuration(uint32_t done);
  void End();

 private:
  void Forward(UpdateStage stage, uint32_t done, uint32_t total);
  ProgressTracker tracker_;
  ProgressView* view_;
};
