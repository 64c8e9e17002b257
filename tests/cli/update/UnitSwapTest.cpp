// update and update --all while the enclosure is replaced by another unit
// after each of its commands in turn: the newcomer is never written, a PASS
// means the replacement came after the last command, an entry of the history
// that tells of writes names the enclosure examined, and a replacement after
// the examination is said as such.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/enclosure/Candidates.h"
#include "cli/history/HistoryFile.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/TempDir.h"
#include "support/UnitSwap.h"

namespace {

constexpr char kExaminedSerial[] = "0000000000000214";

struct SwapOutcome {
  CliRun run;
  std::vector<TraceEntry> entries;
  uint64_t examined = 0;  // the arrival of the enclosure the run began with
  HistoryRead history;
};

// `k` 0: nothing takes its place.
SwapOutcome RunSwapped(const std::vector<std::string>& args, uint32_t k, const Newcomer& newcomer,
                       const std::string& history) {
  SwapOutcome outcome;
  CommandLog log;
  CliRunOptions options;
  options.historyOverride = history;
  options.onSimulation = [&](VirtualMachine& machine) {
    outcome.examined = machine.ArrivalOf(kScenarioEnclosurePath);
    if (k != 0) {
      machine.ReplaceAfterCommands(kScenarioEnclosurePath, k, newcomer.make(), kNewcomerSerial);
    }
    log.Watch(machine);
  };
  std::remove(history.c_str());
  outcome.run = RunTq214(args, options);
  outcome.entries = log.entries;
  outcome.history = ReadHistory(history);
  return outcome;
}

TEST(UnitSwap, NoCommandAfterTheSwapWritesAnotherUnitThanTheOneExamined) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  const std::string history = (temp.path() / "history.jsonl").string();
  const std::vector<std::vector<std::string>> commands = {
      {"--simulate", "--json", "update", "--yes"},
      {"--simulate", "--json", "update", "--all", "--yes"}};
  for (const std::vector<std::string>& args : commands) {
    const std::string command = args[2] + (args.size() > 4 ? " " + args[3] : "");
    // A whole run without a swap: every command reaches the one enclosure.
    const SwapOutcome plain = RunSwapped(args, 0, Newcomers()[0], history);
    ASSERT_EQ(kExitSuccess, plain.run.code) << plain.run.err;
    const uint32_t total = static_cast<uint32_t>(plain.entries.size());
    for (const Newcomer& newcomer : Newcomers()) {
      int changedSaid = 0;
      for (uint32_t k = 1; k <= total; ++k) {
        const SwapOutcome swapped = RunSwapped(args, k, newcomer, history);
        const std::string where = command + ", " + newcomer.name + " after command " +
                                  std::to_string(k) + " of " + std::to_string(total);
        // No write reaches a unit other than the one examined.
        for (const TraceEntry& entry : swapped.entries) {
          EXPECT_FALSE(IsWrite(entry.kind) && entry.unit != 0 && entry.unit != swapped.examined)
              << where;
        }
        const bool passed = swapped.run.out.find("\"PASS\"") != std::string::npos;
        EXPECT_EQ(k == total, passed) << where << "\n" << swapped.run.out << swapped.run.err;
        if (k < total) {
          EXPECT_NE(kExitSuccess, swapped.run.code) << where << "\n"
                                                    << swapped.run.out << swapped.run.err;
        }
        for (const HistoryEntry& entry : swapped.history.entries) {
          if (entry.result == "PASS" || entry.result == "FAIL") {
            EXPECT_EQ(kExaminedSerial, entry.serial) << where;
          }
        }
        changedSaid +=
            (swapped.run.out + swapped.run.err).find(kEnclosureChangedText) != std::string::npos;
      }
      // A replacement between the examination and the first write is told.
      EXPECT_GT(changedSaid, 0) << command << ", " << newcomer.name;
    }
  }
}

}  // namespace
