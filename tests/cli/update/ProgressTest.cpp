// The update's progress: one scale that never goes back, lines when nobody
// watches, a bar with the time left on a terminal.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/ExitCodes.h"
#include "cli/update/Progress.h"
#include "support/CliRun.h"

namespace {

struct PlainLine {
  int percent = -1;
  std::string stage;
  bool secondAttempt = false;
};

// "progress  20%  writing 10/49" lines of a run's output, in order.
std::vector<PlainLine> ProgressLines(const CliRun& run) {
  std::vector<PlainLine> lines;
  for (const std::string& line : run.outLines()) {
    std::istringstream in(line);
    std::string word;
    int percent = 0;
    char sign = 0;
    std::string stage;
    if (in >> word >> percent >> sign >> stage && word == "progress" && sign == '%') {
      lines.push_back({percent, stage, line.find("(attempt 2)") != std::string::npos});
    }
  }
  return lines;
}

void ExpectNeverBackwards(const std::vector<PlainLine>& lines) {
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_GE(lines[i].percent, lines[i - 1].percent) << "line " << i;
  }
}

TEST(CliProgress, SecondAttemptHoldsThePercentageAndCountsTheAttempt) {
  ProgressTracker tracker;
  tracker.Report(UpdateStage::kWriting, 0, 49);
  tracker.Report(UpdateStage::kWriting, 49, 49);
  const int held = tracker.Report(UpdateStage::kVerifying, 30, 49).percent;
  const ProgressState again = tracker.Report(UpdateStage::kWriting, 0, 49);
  EXPECT_EQ(2, again.attempt);
  EXPECT_EQ(held, again.percent);
  EXPECT_EQ(UpdateStage::kWriting, again.stage);
  EXPECT_EQ(0u, again.done);
  EXPECT_EQ(held, tracker.Report(UpdateStage::kWriting, 20, 49).percent);
  EXPECT_GT(tracker.Report(UpdateStage::kVerifying, 49, 49).percent, held);
  // Repeated reports of a loop's start are no new attempt.
  EXPECT_EQ(2, tracker.Report(UpdateStage::kVerifying, 49, 49).attempt);
}

TEST(CliProgress, PlainLinesOfAnUpdateNeverGoBack) {
  const CliRun run = RunTq214({"--simulate", "update", "--yes"});
  ASSERT_EQ(kExitSuccess, run.code);
  const std::vector<PlainLine> lines = ProgressLines(run);
  ASSERT_GE(lines.size(), 10u) << run.out;
  ExpectNeverBackwards(lines);
  EXPECT_EQ(0, lines.front().percent);
  EXPECT_EQ("writing", lines.front().stage);
  EXPECT_EQ(100, lines.back().percent);
  EXPECT_EQ("configuration", lines.back().stage);
  // The stages come in order: writing, verifying, configuration.
  std::vector<std::string> stages;
  for (const PlainLine& line : lines) {
    if (stages.empty() || stages.back() != line.stage) stages.push_back(line.stage);
  }
  EXPECT_EQ((std::vector<std::string>{"writing", "verifying", "configuration"}), stages);
  EXPECT_EQ(std::string::npos, run.out.find('\r')) << "no bar when nobody watches";
}

TEST(CliProgress, PlainLinesOfARetriedDownloadNeverGoBack) {
  const CliRun run = RunTq214({"--simulate=verify-fail", "update", "--yes"});
  ASSERT_EQ(kExitFailure, run.code);
  const std::vector<PlainLine> lines = ProgressLines(run);
  ExpectNeverBackwards(lines);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.back().secondAttempt) << run.out;
  EXPECT_NE("configuration", lines.back().stage);
}

TEST(CliProgress, BarRedrawsOneLineWithTheTimeLeft) {
  std::ostringstream out;
  double now = 100;
  StreamProgress progress(out);
  BarProgress bar(out, progress, [&now] { return now; });
  ProgressTracker tracker;
  bar.Show(tracker.Report(UpdateStage::kWriting, 0, 49));
  now = 110;  // ten seconds for 49 percent: about as long again to go
  bar.Show(tracker.Report(UpdateStage::kVerifying, 1, 48));
  bar.Show(tracker.Report(UpdateStage::kConfiguration, 1, 1));
  bar.End();

  const std::string text = out.str();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ('\n', text.back());
  std::vector<std::string> frames;
  std::istringstream in(text.substr(0, text.size() - 1));
  for (std::string frame; std::getline(in, frame, '\r');) {
    if (!frame.empty()) frames.push_back(frame);
  }
  ASSERT_EQ(3u, frames.size());
  EXPECT_NE(std::string::npos, frames[0].find("writing"));
  EXPECT_NE(std::string::npos, frames[0].find("-:-- left")) << "nothing to estimate from yet";
  EXPECT_NE(std::string::npos, frames[1].find("verifying"));
  EXPECT_NE(std::string::npos, frames[1].find(" 49%"));
  EXPECT_NE(std::string::npos, frames[1].find("0:10 left")) << frames[1];
  EXPECT_NE(std::string::npos, frames[2].find("100%"));
  EXPECT_NE(std::string::npos, frames[2].find("[############################]"));
  for (const std::string& frame : frames) EXPECT_EQ(frames[0].size(), frame.size());
}

}  // namespace
