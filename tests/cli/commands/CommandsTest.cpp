// tq214's three commands on the ready-made machines: what they print, what
// they send to the enclosure, how they end.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "Tessaloft_main/TForm1.h"
#include "cli/ExitCodes.h"
#include "seams/Seams.h"
#include "seams/SystemGuards.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/VirtualShell.h"

namespace {

const std::string kEnclosure = kScenarioEnclosurePath;
const std::string kSecond = kScenarioSecondEnclosurePath;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The simulated machine's commands, as they completed.
class CliCommandsTest : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args, const std::string& input = "") {
    CliRunOptions options;
    options.input = input;
    options.onSimulation = [this](VirtualMachine& machine) {
      if (prepare) prepare(machine);
      machine.SetAfterCommand([this](const TraceEntry& entry) { trace.push_back(entry); });
    };
    trace.clear();
    return RunTq214(args, options);
  }
  size_t Count(CommandKind kind, const std::string& path = "") const {
    return static_cast<size_t>(std::count_if(trace.begin(), trace.end(), [&](const TraceEntry& e) {
      return e.kind == kind && (path.empty() || e.path == path);
    }));
  }
  size_t Writes() const {
    return Count(CommandKind::kWriteBufferData) + Count(CommandKind::kWriteBridgeMemory);
  }

  std::function<void(VirtualMachine&)> prepare;
  std::vector<TraceEntry> trace;
};

// The five lines of the window on the same machine.
std::vector<std::string> WindowLines(const char* scenario) {
  VirtualMachine machine;
  EXPECT_TRUE(BuildScenario(scenario, machine));
  VirtualShell shell;
  EmbeddedResources resources;
  ScopedSeams seams(Seams{&machine, &shell, &machine, &machine, &resources});
  TForm1 window;
  return {window.pnl_Descript_1.text(), window.pnl_Descript_2.text(), window.pnl_Descript_3.text(),
          window.pnl_Descript_4.text(), window.pnl_Descript_5.text()};
}

// The five lines after the "Device:" line.
std::vector<std::string> IdentityPart(const CliRun& run) {
  const std::vector<std::string> lines = run.outLines();
  for (size_t i = 0; i + 5 < lines.size(); ++i) {
    if (lines[i].rfind("Device: ", 0) == 0) {
      return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                      lines.begin() + static_cast<std::ptrdiff_t>(i) + 6);
    }
  }
  return {};
}

// --- list --------------------------------------------------------------------

TEST_F(CliCommandsTest, ListShowsTheEnclosureWithBusIdentityFamilyAndDrive) {
  const CliRun run = Run({"--simulate", "list"});
  EXPECT_EQ(kExitSuccess, run.code);
  ASSERT_EQ(1u, run.outLines().size()) << "the system disk has no bridge: " << run.out;
  EXPECT_EQ(kEnclosure +
                "  USB  #0000000000000214  \"Orvexa  TQ-214 Enclosure\"  family 19 (TBR640)  "
                "revision 0  drives E:",
            run.outLines()[0]);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0u, Writes());
}

TEST_F(CliCommandsTest, ListShowsEveryBridgeWhateverItsFamily) {
  const CliRun two = Run({"--simulate=two", "list"});
  EXPECT_EQ(kExitSuccess, two.code);
  ASSERT_EQ(2u, two.outLines().size());
  EXPECT_TRUE(Contains(two.outLines()[0], "drives E:"));
  EXPECT_TRUE(Contains(two.outLines()[1], kSecond + "  USB"));
  EXPECT_TRUE(Contains(two.outLines()[1], "drives F:"));

  const CliRun other = Run({"--simulate=other-family", "list"});
  EXPECT_EQ(kExitSuccess, other.code);
  ASSERT_EQ(1u, other.outLines().size());
  EXPECT_TRUE(Contains(other.outLines()[0], "family 3  revision"));
  EXPECT_FALSE(Contains(other.out, "TBR640"));
}

TEST_F(CliCommandsTest, ListWithoutBridgeDisksExitsThree) {
  const CliRun run = Run({"--simulate=none", "list"});
  EXPECT_EQ(kExitNoDevice, run.code);
  EXPECT_EQ("", run.out);
  ASSERT_EQ(1u, run.errLines().size());
  EXPECT_TRUE(Contains(run.err, "No available device !!"));
}

// --- info --------------------------------------------------------------------

TEST_F(CliCommandsTest, InfoPrintsTheWindowsFiveLinesAndTheVerdict) {
  for (const char* scenario : {"outdated", "current"}) {
    const CliRun run = Run({"--simulate=" + std::string(scenario), "info"});
    EXPECT_EQ(kExitSuccess, run.code) << scenario;
    EXPECT_EQ(WindowLines(scenario), IdentityPart(run)) << scenario;
    EXPECT_EQ(0u, Writes());
  }
  const CliRun outdated = Run({"--simulate", "info"});
  EXPECT_EQ("Device: " + kEnclosure + "  USB  #0000000000000214  \"Orvexa  TQ-214 Enclosure\"",
            outdated.outLines()[0]);
  EXPECT_EQ("USB Prod[  USB3.0 Disk  ]", IdentityPart(outdated)[2]);
  EXPECT_EQ("Chip FW Version[  21.32.00.02  ]", IdentityPart(outdated)[4]);
  EXPECT_EQ("Verdict: update needed", outdated.outLines().back());

  const CliRun current = Run({"--simulate=current", "info"});
  EXPECT_EQ("Chip FW Version[  21.32.00.03  ] Up to date", IdentityPart(current)[4]);
  EXPECT_EQ("Verdict: up to date", current.outLines().back());
}

TEST_F(CliCommandsTest, InfoTurnsAwayWhatTheWindowTurnsAway) {
  struct Case {
    const char* scenario;
    int code;
    const char* reason;
  };
  for (const Case& c : {Case{"internal-code", kExitFailure, "NOT support internal code!!"},
                        Case{"nvram-fail", kExitFailure, "Get NVRAM Fail !!"},
                        Case{"other-family", kExitNoDevice, "No TBR640 enclosure found"},
                        Case{"none", kExitNoDevice, "No available device !!"}}) {
    const CliRun run = Run({"--simulate=" + std::string(c.scenario), "info"});
    EXPECT_EQ(c.code, run.code) << c.scenario;
    ASSERT_EQ(1u, run.errLines().size()) << c.scenario << ": " << run.err;
    EXPECT_TRUE(Contains(run.err, c.reason)) << run.err;
    EXPECT_TRUE(Contains(run.err, "No available device !!")) << run.err;
    EXPECT_FALSE(Contains(run.out, "VID[")) << c.scenario;
  }
}

TEST_F(CliCommandsTest, NewerFirmwareIsReplacedOnlyInOneEnclosureNamedOnPurpose) {
  EXPECT_EQ("Verdict: newer (firmware 21.33.0.0 is newer than this tool's 21.32.0.3)",
            Run({"--simulate=newer", "info"}).outLines().back());

  const CliRun refused = Run({"--simulate=newer", "update", "--yes"});
  EXPECT_EQ(kExitFailure, refused.code);
  EXPECT_TRUE(Contains(refused.err, "--allow-older")) << refused.err;
  EXPECT_EQ(0u, Writes());

  EXPECT_EQ(kExitUsage, Run({"--simulate=newer", "update", "--yes", "--allow-older"}).code);
  const CliRun asked =
      Run({"--simulate=newer", "update", "--yes", "--allow-older", "--device", "E:"});
  EXPECT_EQ(kExitSuccess, asked.code) << asked.err;
  EXPECT_EQ(49u, Count(CommandKind::kWriteBufferData));
}

TEST_F(CliCommandsTest, InternalCodeIsTurnedAwayBeforeTheBlockIsRead) {
  Run({"--simulate=internal-code", "info"});
  EXPECT_EQ(0u, Count(CommandKind::kReadBridgeMemory));
}

TEST_F(CliCommandsTest, SeveralEnclosuresAreListedAndNoneIsChosen) {
  const CliRun run = Run({"--simulate=two", "info"});
  EXPECT_EQ(kExitNoDevice, run.code);
  EXPECT_TRUE(Contains(run.out, kEnclosure));
  EXPECT_TRUE(Contains(run.out, kSecond));
  ASSERT_EQ(1u, run.errLines().size());
  EXPECT_TRUE(Contains(run.err, "Multiple USB hard drives are attached."));
  EXPECT_TRUE(Contains(run.err, "--device"));
  EXPECT_EQ(0u, Count(CommandKind::kReadFlashIndex)) << "no device-information run";
}

TEST_F(CliCommandsTest, DeviceIsNamedByPathDriveLetterOrSerialNumber) {
  for (const std::string& name :
       {kSecond, std::string("F:"), std::string("f:"), std::string("#0000000000000437"),
        std::string("0000000000000437")}) {
    const CliRun run = Run({"--simulate=two", "info", "--device", name});
    EXPECT_EQ(kExitSuccess, run.code) << name << run.err;
    EXPECT_EQ("Device: " + kSecond + "  USB  #0000000000000437  \"Orvexa  TQ-214 Enclosure\"",
              run.outLines()[0]);
    EXPECT_EQ(0u, Count(CommandKind::kReadFlashIndex, kEnclosure)) << "only the one named";
    EXPECT_EQ(1u, Count(CommandKind::kReadFlashIndex, kSecond));
  }
  const CliRun unknown = Run({"--simulate=two", "info", "--device", "G:"});
  EXPECT_EQ(kExitNoDevice, unknown.code);
  EXPECT_TRUE(Contains(unknown.err, "G:"));
}

// A disk the interface list misses (its path has no bus word), named by a raw
// device path: probed, read and updated as a listed one; `list` still misses it.
TEST_F(CliCommandsTest, ARawDevicePathReachesAnEnclosureTheListMisses) {
  const std::string raw = "\\\\.\\PhysicalDrive3";
  prepare = [&raw](VirtualMachine& machine) { machine.AddDisk(raw, VirtualEnclosure::Tbr640()); };
  const CliRun list = Run({"--simulate=none", "list"});
  EXPECT_EQ(kExitNoDevice, list.code);
  EXPECT_TRUE(trace.empty()) << "list probes the listed disks only";

  const CliRun info = Run({"--simulate=none", "info", "--device", raw});
  ASSERT_EQ(kExitSuccess, info.code) << info.err;
  EXPECT_EQ("Device: " + raw + "  unknown  no serial  \"Orvexa  TQ-214 Enclosure\"",
            info.outLines()[0]);
  EXPECT_EQ("Chip FW Version[  21.32.00.01  ]", IdentityPart(info)[4]);
  EXPECT_EQ(0u, Writes());

  const CliRun update = Run({"--simulate=none", "update", "--yes", "--device", raw});
  EXPECT_EQ(kExitSuccess, update.code) << update.err;
  EXPECT_TRUE(Contains(update.out, "\nPASS\n"));
  EXPECT_EQ(49u, Count(CommandKind::kWriteBufferData, raw));
  EXPECT_EQ(1u, Count(CommandKind::kWriteBridgeMemory, raw));
}

TEST_F(CliCommandsTest, ARawDevicePathIsIdentifiedBeforeAnythingIsWritten) {
  const std::string raw = "\\\\.\\PhysicalDrive3";
  prepare = [&raw](VirtualMachine& machine) {
    machine.AddDisk(raw, VirtualEnclosure::PlainDisk());
  };
  const CliRun plain = Run({"--simulate=none", "update", "--yes", "--device", raw});
  EXPECT_EQ(kExitNoDevice, plain.code);
  ASSERT_EQ(1u, plain.errLines().size());
  EXPECT_EQ("tq214: " + raw + ": No available device !! It does not answer the bridge's probe.",
            plain.errLines()[0]);
  EXPECT_EQ(0u, Writes());
  EXPECT_EQ(1u, Count(CommandKind::kInquiry, raw)) << "probed as discovery probes";

  prepare = [&raw](VirtualMachine& machine) {
    machine.AddDisk(raw, VirtualEnclosure::Bridge(3, IdRoute::kChipInfo));
  };
  const CliRun other = Run({"--simulate=none", "update", "--yes", "--device", raw});
  EXPECT_EQ(kExitNoDevice, other.code);
  EXPECT_TRUE(Contains(other.err, "family 3, not a TBR640")) << other.err;
  EXPECT_EQ(0u, Writes());

  prepare = nullptr;
  const CliRun nothing = Run({"--simulate=none", "update", "--yes", "--device", "\\\\.\\F:"});
  EXPECT_EQ(kExitNoDevice, nothing.code);
  ASSERT_EQ(1u, nothing.errLines().size());
  EXPECT_EQ("tq214: \\\\.\\F:: the device does not open (error 2)", nothing.errLines()[0]);
  EXPECT_EQ(0u, Writes());

  // Not a raw device path: named nothing, nothing probed.
  const CliRun named = Run({"--simulate=none", "info", "--device", "\\\\.\\PhysicalDriveX"});
  EXPECT_EQ(kExitNoDevice, named.code);
  EXPECT_TRUE(Contains(named.err, "no disk behind a bridge by that name")) << named.err;
  EXPECT_TRUE(trace.empty());
}

// A raw volume path of a listed enclosure's drive letter names that enclosure.
TEST_F(CliCommandsTest, ARawVolumePathNamesTheListedEnclosureOfThatLetter) {
  const CliRun run = Run({"--simulate=two", "info", "--device", "\\\\.\\f:"});
  ASSERT_EQ(kExitSuccess, run.code) << run.err;
  EXPECT_EQ("Device: " + kSecond + "  USB  #0000000000000437  \"Orvexa  TQ-214 Enclosure\"",
            run.outLines()[0]);
}

TEST_F(CliCommandsTest, AnotherFamilyNamedByDeviceIsTurnedAwayByIdentification) {
  const CliRun run = Run({"--simulate=other-family", "info", "--device", "E:"});
  EXPECT_EQ(kExitNoDevice, run.code);
  EXPECT_TRUE(Contains(run.err, "family 3, not a TBR640"));
  EXPECT_EQ(0u, Count(CommandKind::kReadFlashIndex));
}

TEST_F(CliCommandsTest, RefusedAccessIsSaidPlainly) {
  prepare = [](VirtualMachine& machine) {
    machine.Find(kEnclosure)->faults().openError = kErrorAccessDenied;
  };
  for (const char* command : {"list", "info"}) {
    const CliRun run = Run({"--simulate", command});
    EXPECT_EQ(kExitFailure, run.code) << command;
    ASSERT_EQ(1u, run.errLines().size()) << run.err;
    EXPECT_TRUE(Contains(run.err, kEnclosure + ": ")) << run.err;
    EXPECT_TRUE(Contains(run.err, "refused access")) << run.err;
  }
}

// --- update ------------------------------------------------------------------

TEST_F(CliCommandsTest, UpdateWithYesWritesFirmwareAndBlockAndPasses) {
  const CliRun run = Run({"--simulate", "update", "--yes"});
  EXPECT_EQ(kExitSuccess, run.code) << run.err;
  EXPECT_EQ("", run.err);
  EXPECT_FALSE(Contains(run.out, "Perform update?"));
  EXPECT_TRUE(Contains(run.out, "DO NOT disconnect the device during the FW update."));
  const auto lines = run.outLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ("PASS", lines[lines.size() - 2]);
  EXPECT_EQ(49u, Count(CommandKind::kWriteBufferData));
  EXPECT_EQ(49u, Count(CommandKind::kReadBufferData));
  EXPECT_EQ(1u, Count(CommandKind::kWriteBridgeMemory));
}

TEST_F(CliCommandsTest, UpdateAsksAndOnlyYesGoesOn) {
  for (const char* yes : {"y\n", "Y\n", " yes \n", "y"}) {
    const CliRun run = Run({"--simulate", "update"}, yes);
    EXPECT_EQ(kExitSuccess, run.code) << yes;
    EXPECT_TRUE(Contains(run.out, "Perform update? [y/N] "));
    EXPECT_EQ(1u, Count(CommandKind::kWriteBridgeMemory)) << yes;
  }
  for (const char* no : {"n\n", "\n", "", "no\n", "yess\n"}) {
    const CliRun run = Run({"--simulate", "update"}, no);
    EXPECT_EQ(kExitDeclined, run.code) << no;
    EXPECT_TRUE(Contains(run.out, "Perform update? [y/N] "));
    EXPECT_TRUE(Contains(run.out, "Nothing done."));
    EXPECT_FALSE(Contains(run.out, "PASS"));
    EXPECT_EQ(0u, Writes()) << no;
  }
}

TEST_F(CliCommandsTest, UpToDateEnclosureIsLeftAloneWithoutAsking) {
  const CliRun run = Run({"--simulate=current", "update"});
  EXPECT_EQ(kExitSuccess, run.code);
  EXPECT_FALSE(Contains(run.out, "Perform update?"));
  EXPECT_TRUE(Contains(run.out, "Up to date"));
  EXPECT_EQ(0u, Writes());
  EXPECT_EQ(0u, Count(CommandKind::kReadBufferDescriptor));
}

TEST_F(CliCommandsTest, FailedDownloadNeverWritesTheBlock) {
  for (const char* scenario : {"verify-fail", "unplug-during-update"}) {
    const CliRun run = Run({"--simulate=" + std::string(scenario), "update", "--yes"});
    EXPECT_EQ(kExitFailure, run.code) << scenario;
    EXPECT_EQ("FAIL", run.outLines().back()) << scenario;
    ASSERT_EQ(1u, run.errLines().size()) << run.err;
    EXPECT_TRUE(Contains(run.err, "left as it was"));
    EXPECT_EQ(0u, Count(CommandKind::kWriteBridgeMemory)) << scenario;
  }
}

TEST_F(CliCommandsTest, IgnoredBlockWriteFailsAfterTheDownload) {
  const CliRun run = Run({"--simulate=write-ignored", "update", "--yes"});
  EXPECT_EQ(kExitFailure, run.code);
  EXPECT_EQ("FAIL", run.outLines().back());
  EXPECT_TRUE(Contains(run.err, "configuration block could not be written"));
  EXPECT_EQ(1u, Count(CommandKind::kWriteBridgeMemory));
}

TEST_F(CliCommandsTest, UpdateRefusalsWriteNothing) {
  struct Case {
    const char* scenario;
    int code;
  };
  for (const Case& c : {Case{"internal-code", kExitFailure}, Case{"nvram-fail", kExitFailure},
                        Case{"other-family", kExitNoDevice}, Case{"two", kExitNoDevice},
                        Case{"none", kExitNoDevice}}) {
    const CliRun run = Run({"--simulate=" + std::string(c.scenario), "update", "--yes"});
    EXPECT_EQ(c.code, run.code) << c.scenario;
    EXPECT_EQ(0u, Writes()) << c.scenario;
    EXPECT_EQ(0u, Count(CommandKind::kReadBufferDescriptor)) << c.scenario;
  }
}

TEST_F(CliCommandsTest, UpdateOfOneOfTwoTouchesOnlyThatOne) {
  const CliRun run = Run({"--simulate=two", "update", "--yes", "--device", "F:"});
  EXPECT_EQ(kExitSuccess, run.code) << run.err;
  EXPECT_EQ(49u, Count(CommandKind::kWriteBufferData, kSecond));
  EXPECT_EQ(0u, Count(CommandKind::kWriteBufferData, kEnclosure));
  EXPECT_EQ(0u, Count(CommandKind::kWriteBridgeMemory, kEnclosure));
}

// Another program writes the first enclosure: every command says so in its
// place and sends it nothing (the device-number queries of its drive letters
// go to the system, not to it); the second one is worked on as ever.
TEST_F(CliCommandsTest, AnEnclosureAnotherProgramWritesGetsNoCommand) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* said;  // on standard output, else on standard error
  };
  const Case cases[] = {
      {{"list"}, kExitSuccess, "#0000000000000214  being updated by another program  drives E:"},
      {{"--json", "list"}, kExitSuccess, "\"state\":\"being updated by another program\""},
      {{"info"}, kExitFailure, "being updated by another program"},
      {{"update", "--yes"}, kExitFailure, "another program is updating this enclosure"},
      {{"--simulate=two", "update", "--all", "--yes"},
       kExitFailure,
       "skipped: being updated by another program"},
      {{"--simulate=two", "update", "--device", "F:", "--yes"}, kExitSuccess, "PASS"},
  };
  const auto held = LockWithinProcess(kEnclosure.c_str());
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    if (args[0].rfind("--simulate", 0) != 0) args.insert(args.begin(), "--simulate");
    const CliRun run = Run(args);
    EXPECT_EQ(c.code, run.code) << args.back() << run.err;
    EXPECT_TRUE(Contains(run.out, c.said) || Contains(run.err, c.said)) << run.out << run.err;
    EXPECT_EQ(0, std::count_if(trace.begin(), trace.end(),
                               [](const TraceEntry& e) {
                                 return e.path == kEnclosure &&
                                        e.kind != CommandKind::kQueryDeviceNumber;
                               }))
        << run.out;
  }
}

}  // namespace
