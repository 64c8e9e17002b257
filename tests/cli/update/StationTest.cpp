// Several enclosures at once on the station machine: update --all gives each
// its own result whatever the others do (one vanishes, one reads back wrong,
// one is skipped), watch updates each arrival once and ends with the
// timeline, and a session recorded side by side replays. These tests also run
// under ThreadSanitizer (preset tsan).

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/update/InterruptHold.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/JsonReader.h"

namespace {

// The firmware pieces each device was sent, counted from the updates' threads.
struct PieceCount {
  std::mutex lock;
  std::map<std::string, int> pieces;
  CliRunOptions Options() {
    CliRunOptions options;
    options.onSimulation = [this](VirtualMachine& machine) {
      machine.SetAfterCommand([this](const TraceEntry& entry) {
        if (entry.kind != CommandKind::kWriteBufferData || !entry.ok()) return;
        std::lock_guard<std::mutex> guard(lock);
        ++pieces[entry.path];
      });
    };
    return options;
  }
};

// A request to stop that arrives at a chosen moment: when the first update
// begins to write (`atFirstWrite`), or before anything happens. It is held and
// announced as the platform's hold would.
class ScriptedStop final : public InterruptHold {
 public:
  explicit ScriptedStop(bool atFirstWrite) : requested_(!atFirstWrite) {}
  void Begin(std::function<void()> announce) override {
    std::lock_guard<std::mutex> guard(lock_);
    ++begins_;
    if (requested_) return;
    requested_ = true;
    announce();
  }
  std::vector<std::string> End() override { return {"SIGINT"}; }
  std::vector<std::string> HeldSoFar() const override { return {"SIGINT"}; }
  bool requested() const override {
    std::lock_guard<std::mutex> guard(lock_);
    return requested_;
  }
  void SetRunEndsOnRequest(bool) override {}
  void Request() {
    std::lock_guard<std::mutex> guard(lock_);
    requested_ = true;
  }
  int begins() const {
    std::lock_guard<std::mutex> guard(lock_);
    return begins_;
  }

 private:
  mutable std::mutex lock_;
  bool requested_;
  int begins_ = 0;
};

// The enclosures as the station's lines name them: drive letter and serial.
const std::string kFirst = "E:  #0000000000000214";
const std::string kSecond = "F:  #0000000000000437";
const std::string kLate = "I:  #0000000000001103";

// Each device's result in the JSON summary, by its drive letter.
std::map<std::string, std::string> ResultsByDrive(const CliRun& run) {
  JsonValue json;
  EXPECT_TRUE(ParseJson(run.out, &json)) << run.out;
  std::map<std::string, std::string> results;
  for (const JsonValue& device : json["devices"].items) {
    results[device["driveLetters"].items.at(0).string] =
        device["result"].string +
        (device["reason"].string.empty() ? "" : ": " + device["reason"].string);
  }
  return results;
}

TEST(Station, UpdateAllGivesEachEnclosureItsOwnResult) {
  PieceCount count;
  const CliRun run =
      RunTq214({"--simulate=station", "--json", "update", "--all", "--yes"}, count.Options());
  EXPECT_EQ(kExitFailure, run.code);
  const std::map<std::string, std::string> expected = {
      {"E:", "PASS"},
      {"F:",
       "FAIL: the firmware could not be written and read back equal; the configuration "
       "block was left as it was"},
      {"G:",
       "FAIL: the firmware could not be written and read back equal; the configuration "
       "block was left as it was"},
      {"H:", "up to date"},
      {"J:", "skipped: Get NVRAM Fail !! (the configuration block could not be read)"},
      {"K:", "skipped: firmware 21.33.0.0 is newer than this tool's 21.32.0.3"},
  };
  EXPECT_EQ(expected, ResultsByDrive(run));
  // E was sent one whole image, whatever its neighbours did meanwhile; G two
  // (its second attempt); F only up to the piece it vanished in.
  EXPECT_EQ(49, count.pieces[kScenarioEnclosurePath]);
  EXPECT_EQ(19, count.pieces[kScenarioSecondEnclosurePath]);
}

TEST(Station, WatchUpdatesEachArrivalOnceAndEndsWithTheTimeline) {
  const CliRun run = RunTq214({"--simulate=station", "watch", "--update", "--yes"});
  EXPECT_EQ(kExitFailure, run.code) << run.err;
  for (const std::string& line :
       {"+ " + kLate + "  \"Orvexa", kLate + ": PASS. Eject I:, then reconnect",
        "- " + kSecond + " removed", kFirst + ": PASS", kFirst + ": confirmed, running 21.32.0.3",
        std::string("PASS (confirmed, running 21.32.0.3)")}) {
    EXPECT_NE(std::string::npos, run.out.find(line)) << line << "\n" << run.out;
  }
  EXPECT_EQ(std::string::npos, run.out.find(kStationLatePath)) << "paths are in JSON and --trace";
  const std::string updating = kFirst + ": updating";
  EXPECT_EQ(run.out.find(updating), run.out.rfind(updating)) << "updated once";
}

TEST(Station, AStopDuringWatchUpdatesFinishesThemAndStartsNoOther) {
  // Held at the first write: the updates under way end; no other starts, nor
  // the one of the enclosure plugged in later.
  ScriptedStop stop(true);
  CliRunOptions options;
  options.hold = &stop;
  const CliRun run =
      RunTq214({"--simulate=station", "watch", "--update", "--yes", "--piece-ms", "5"}, options);
  EXPECT_EQ(std::string::npos, run.out.find(kLate + ": updating")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find(kFirst + ": PASS"));
  // The notice counts the updates running then: at least the one that
  // wrote, at most those that started (one may start as the request comes).
  size_t started = 0;
  for (const std::string& line : run.outLines()) started += line.find(": updating") != line.npos;
  const size_t at = run.err.find("tq214: ");
  ASSERT_NE(std::string::npos, at) << run.err;
  const size_t running = std::stoul(run.err.substr(at + 7));
  EXPECT_GE(running, 1u) << run.err;
  EXPECT_LE(running, started) << run.err;

  // A plain watch writes nothing, so nothing is held: the request ends it.
  ScriptedStop early(false);
  options.hold = &early;
  const CliRun plain = RunTq214({"--simulate=station", "watch"}, options);
  EXPECT_EQ(0, early.begins());
  EXPECT_EQ(std::string::npos, plain.out.find(kLate)) << "ended before the arrival";
}

TEST(Station, WatchLooksAgainAtABridgeStillBusyAfterPlugIn) {
  CliRunOptions options;
  options.onSimulation = [](VirtualMachine& machine) {
    machine.Find(kStationLatePath)->faults().failFirstCommands = 2;
  };
  const CliRun run = RunTq214({"--simulate=station", "watch", "--update", "--yes"}, options);
  EXPECT_NE(std::string::npos, run.out.find(kLate + ": PASS")) << run.out;
}

TEST(Station, AnArrivalStillLookedAtAgainWhenTheWatchEndsIsListedAsNotExamined) {
  // Ctrl+C as the enclosure plugged in later first fails to answer.
  ScriptedStop stop(true);
  CliRunOptions options;
  options.hold = &stop;
  options.onSimulation = [&stop](VirtualMachine& machine) {
    machine.Find(kStationLatePath)->faults().failFirstCommands = 100;
    machine.SetAfterCommand([&stop](const TraceEntry& entry) {
      if (entry.path == kStationLatePath) stop.Request();
    });
  };
  const CliRun run = RunTq214({"--simulate=station", "--json", "watch"}, options);
  EXPECT_EQ("skipped: not examined: the watch ended while it was waiting for it to answer",
            ResultsByDrive(run)["I:"])
      << run.out;
}

TEST(Station, ASessionRecordedSideBySideReplays) {
  const std::string file = testing::TempDir() + "station-session.json";
  const CliRun recorded =
      RunTq214({"--simulate=station", "--json", "--record", file, "update", "--all", "--yes"});
  const CliRun replayed = RunTq214({"--json", "--replay", file, "update", "--all", "--yes"});
  EXPECT_EQ(recorded.code, replayed.code) << replayed.err;
  EXPECT_EQ(ResultsByDrive(recorded), ResultsByDrive(replayed));
  std::remove(file.c_str());
}

}  // namespace
