// update --wait: after PASS the simulated technician reconnects the enclosure;
// tq214 reads it again and says whether the new firmware started, and the
// history's entry of the update is completed with what it runs now.

#include <gtest/gtest.h>

#include "cli/ExitCodes.h"
#include "cli/history/HistoryFile.h"
#include "cli/update/InterruptHold.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

namespace {

// A request to stop that has come before anything was held.
class StopAlreadyAsked final : public InterruptHold {
 public:
  void Begin(std::function<void()>) override {}
  std::vector<std::string> End() override { return {}; }
  bool requested() const override { return true; }
  void SetRunEndsOnRequest(bool) override {}
};

TEST(Reconnect, WaitConfirmsWhatTheEnclosureRunsWhenItComesBack) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  struct Case {
    bool keepsOldFirmware;
    int code;
    const char* said;
  };
  for (const Case& c : {Case{false, kExitSuccess, "running 21.32.0.3, Up to date"},
                        Case{true, kExitFailure, "running 21.32.0.2, update needed; the new "
                                                 "firmware did not start"}}) {
    const std::string file = (temp.path() / (c.keepsOldFirmware ? "old" : "new")).string();
    CliRunOptions options;
    options.historyOverride = file;
    options.onSimulation = [&c](VirtualMachine& machine) {
      machine.Find(kScenarioEnclosurePath)->faults().keepOldFirmware = c.keepsOldFirmware;
    };
    const CliRun run = RunTq214({"--simulate", "update", "--yes", "--wait=10"}, options);
    EXPECT_EQ(c.code, run.code) << run.err;
    EXPECT_NE(std::string::npos, (run.out + run.err).find(c.said)) << run.out << run.err;
    const CliRun history = RunTq214({"--simulate", "history"}, options);
    EXPECT_NE(std::string::npos,
              history.out.find(c.keepsOldFirmware ? "21.32.0.2 -> 21.32.0.2 (not confirmed)  PASS"
                                                  : "21.32.0.2 -> 21.32.0.3 (confirmed)  PASS"))
        << history.out;
  }
}

TEST(Reconnect, CtrlCEndsTheWaitOnlyAndThePassStands) {
  StopAlreadyAsked stop;
  CliRunOptions options;
  options.hold = &stop;
  const CliRun run = RunTq214({"--simulate", "update", "--yes", "--wait"}, options);
  EXPECT_EQ(kExitSuccess, run.code);
  EXPECT_NE(std::string::npos, run.out.find("PASS"));
  EXPECT_NE(std::string::npos, run.err.find("the wait was ended")) << run.err;
}

}  // namespace
