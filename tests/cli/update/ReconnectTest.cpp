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
  std::vector<std::string> HeldSoFar() const override { return {}; }
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
                        Case{true, kExitFailure,
                             "running 21.32.0.2, update needed; the new "
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

// A unit without a serial number passes; at once another one, plugged into
// another port, is given its name, as Linux gives /dev/sdb to the next disk.
TEST(Reconnect, AUnitWithoutASerialNumberIsKnownByItsPortNotByItsName) {
  const std::string path =
      "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#7&2a3b4c5d&0#"
      "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
  VirtualEnclosure another = VirtualEnclosure::Tbr640();
  bool blockWritten = false;
  CliRunOptions options;
  options.onSimulation = [&](VirtualMachine& machine) {
    VirtualEnclosure* unit = &machine.AddDisk(path, *machine.Find(kScenarioEnclosurePath));
    machine.Remove(kScenarioEnclosurePath);
    another = *unit;
    machine.SetAfterCommand([&, unit, on = &machine](const TraceEntry& entry) {
      blockWritten = blockWritten || entry.kind == CommandKind::kWriteBridgeMemory;
      if (!blockWritten || entry.kind != CommandKind::kReadBridgeMemory) return;
      blockWritten = false;  // read back: the update is over
      *unit = another;
      on->SetPort(path, "usb1/1-2");
    });
  };
  const CliRun run = RunTq214({"--simulate", "update", "--yes", "--wait=1"}, options);
  EXPECT_NE(std::string::npos, run.err.find("the enclosure did not come back within 1 s"))
      << run.err;
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
