// What an update did is written down before requests to stop are let through:
// a request that comes the very moment the hold lets go (after the device's
// last command, as early as a signal could end the process) finds the history
// line of every enclosure and the whole JSON result already written, in
// update, update --all and watch --update.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/update/InterruptHold.h"
#include "support/CliRun.h"
#include "support/JsonReader.h"
#include "support/TempDir.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The platform's hold as a process sees it: once something was held, the
// first moment a request would end the process (neither held nor taken as the
// sign to end by itself), one comes. What was recorded then is what a
// process ended by it would have left.
class StopTheMomentItIsLetThrough final : public InterruptHold {
 public:
  explicit StopTheMomentItIsLetThrough(std::function<std::string()> history,
                                       std::function<std::string()> output)
      : history_(std::move(history)), output_(std::move(output)) {}
  void Begin(std::function<void()>) override {
    std::lock_guard<std::mutex> guard(lock_);
    holding_ = true;
    begun_ = true;
  }
  std::vector<std::string> End() override {
    std::lock_guard<std::mutex> guard(lock_);
    holding_ = false;
    Arrive();
    return {};
  }
  std::vector<std::string> HeldSoFar() const override { return {}; }
  bool requested() const override { return false; }
  void SetRunEndsOnRequest(bool on) override {
    std::lock_guard<std::mutex> guard(lock_);
    runEnds_ = on;
    Arrive();
  }
  bool ended() const { return ended_; }
  // The history and standard output a process ended then would have left.
  const std::string& historyLeft() const { return historyLeft_; }
  const std::string& outputLeft() const { return outputLeft_; }

 private:
  void Arrive() {
    if (!begun_ || holding_ || runEnds_ || ended_) return;
    ended_ = true;
    historyLeft_ = history_();
    outputLeft_ = output_();
  }

  std::function<std::string()> history_;
  std::function<std::string()> output_;
  std::mutex lock_;
  bool holding_ = false;
  bool begun_ = false;
  bool runEnds_ = false;
  bool ended_ = false;
  std::string historyLeft_;
  std::string outputLeft_;
};

TEST(RecordThenRelease, AStopTheMomentTheHoldEndsFindsTheRecordComplete) {
  struct Case {
    std::vector<std::string> args;
    size_t historyLines;  // at least
  };
  const Case cases[] = {
      {{"--simulate", "--json", "update", "--yes"}, 1},
      {{"--simulate=station", "--json", "update", "--all", "--yes"}, 6},
      {{"--simulate=station", "--json", "watch", "--update", "--yes"}, 7},
  };
  for (const Case& c : cases) {
    TempDir temp;
    ASSERT_TRUE(temp.ok());
    const std::string history = (temp.path() / "history.jsonl").string();
    const std::ostringstream* out = nullptr;
    StopTheMomentItIsLetThrough stop([&history] { return FileText(history); },
                                     [&out] { return out ? out->str() : ""; });
    CliRunOptions options;
    options.hold = &stop;
    options.historyOverride = history;
    options.watchOutput = [&out](const std::ostringstream& stream) { out = &stream; };
    const CliRun run = RunTq214(c.args, options);
    std::string command;
    for (const std::string& arg : c.args) command += " " + arg;
    ASSERT_TRUE(stop.ended()) << command << ": nothing was ever held";
    const size_t lines = CliRun::Lines(FileText(history)).size();
    EXPECT_LE(c.historyLines, lines) << command;
    EXPECT_TRUE(stop.historyLeft() == FileText(history) && stop.outputLeft() == run.out)
        << command << ": when the stop came, " << CliRun::Lines(stop.historyLeft()).size() << " of "
        << lines << " history lines and " << stop.outputLeft().size() << " of " << run.out.size()
        << " bytes of the result";
    JsonValue json;
    EXPECT_TRUE(ParseJson(run.out, &json) && json.Has("exitCode")) << command << run.out;
  }
}

}  // namespace
