#include "cli/update/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// The share of the whole update each stage takes.
constexpr double kWritingShare = 0.48;
constexpr double kVerifyingShare = 0.48;

constexpr int kPlainStepPercent = 10;
constexpr int kBarWidth = 28;
constexpr double kEstimateFrom = 0.05;

double StageStart(UpdateStage stage) {
  switch (stage) {
    case UpdateStage::kVerifying:
      return kWritingShare;
    case UpdateStage::kConfiguration:
      return kWritingShare + kVerifyingShare;
    case UpdateStage::kWriting:
      break;
  }
  return 0;
}

double StageShare(UpdateStage stage) {
  switch (stage) {
    case UpdateStage::kWriting:
      return kWritingShare;
    case UpdateStage::kVerifying:
      return kVerifyingShare;
    case UpdateStage::kConfiguration:
      break;
  }
  return 1 - kWritingShare - kVerifyingShare;
}

std::string Minutes(double seconds) {
  const auto whole = static_cast<long>(std::lround(std::max(seconds, 0.0)));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

const char* StageName(UpdateStage stage) {
  switch (stage) {
    case UpdateStage::kVerifying:
      return "verifying";
    case UpdateStage::kConfiguration:
      return "configuration";
    case UpdateStage::kWriting:
      break;
  }
  return "writing";
}

ProgressState ProgressTracker::Report(UpdateStage stage, uint32_t done, uint32_t total) {
  // The writing loop beginning anew after it had gone somewhere is the next
  // attempt (or the next try after the switch).
  if (started_ && stage == UpdateStage::kWriting && done == 0 &&
      (state_.stage != UpdateStage::kWriting || state_.done > 0)) {
    ++state_.attempt;
  }
  started_ = true;
  state_.stage = stage;
  state_.done = std::min(done, total);
  state_.total = total;
  const double within = total == 0 ? 1.0 : static_cast<double>(state_.done) / total;
  const double fraction = StageStart(stage) + StageShare(stage) * within;
  state_.fraction = std::max(state_.fraction, std::min(fraction, 1.0));
  state_.percent = static_cast<int>(state_.fraction * 100 + 1e-9);
  return state_;
}

void PlainProgress::Show(const ProgressState& state) {
  const bool news = !shown_ || state.stage != last_.stage || state.attempt != last_.attempt;
  const bool step = state.percent >= last_.percent + kPlainStepPercent;
  const bool stageDone = state.done == state.total && state.done != last_.done;
  if (!news && !step && !stageDone) return;
  char line[96];
  std::snprintf(line, sizeof line, "progress %3d%%  %s %u/%u", state.percent,
                StageName(state.stage), state.done, state.total);
  std::string text = line;
  if (state.attempt > 1) text += " (attempt " + std::to_string(state.attempt) + ")";
  progress_.Show("progress", text + "\n");
  shown_ = true;
  last_ = state;
}

void BarProgress::Show(const ProgressState& state) {
  const double now = seconds_ ? seconds_() : 0;
  if (start_ < 0) start_ = now;
  const int filled = static_cast<int>(state.fraction * kBarWidth);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kBarWidth, '.');
  std::string left = "  -:-- left";
  if (seconds_ && state.fraction >= kEstimateFrom && state.fraction < 1) {
    const double elapsed = now - start_;
    left = "  " + Minutes(elapsed * (1 - state.fraction) / state.fraction) + " left";
  } else if (state.fraction >= 1) {
    left = "  0:00 left";
  }
  // Every drawing is as long as the last, so nothing of it stays behind.
  char attempt[24] = "";
  if (state.attempt > 1) std::snprintf(attempt, sizeof attempt, " (attempt %d)", state.attempt);
  char line[128];
  std::snprintf(line, sizeof line, "\r%-14s [%s] %3d%%%-11s%-12s", StageName(state.stage),
                bar.c_str(), state.percent, left.c_str(), attempt);
  progress_.Show("bar", line);
  drawn_ = true;
}

void BarProgress::End() {
  if (drawn_) out_ << '\n';
  drawn_ = false;
}

void ProgressFeed::OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) {
  Forward(phase == UpdatePhase::kVerifying ? UpdateStage::kVerifying : UpdateStage::kWriting, done,
          total);
}

void ProgressFeed::Configuration(uint32_t done) {
  Forward(UpdateStage::kConfiguration, done, 1);
}

void ProgressFeed::End() {
  if (view_) view_->End();
}

void ProgressFeed::Forward(UpdateStage stage, uint32_t done, uint32_t total) {
  const ProgressState state = tracker_.Report(stage, done, total);
  if (view_) view_->Show(state);
}
