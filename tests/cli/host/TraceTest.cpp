// --trace and the commands of an update: the CLI sends what the window sends.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

#include "IDEAccess/BridgeCommands.h"
#include "Tessaloft_main/TForm1.h"
#include "cli/ExitCodes.h"
#include "cli/host/AccessLog.h"
#include "cli/host/TraceBackend.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/RecordingBackend.h"
#include "support/VirtualShell.h"

namespace {

std::string LineOf(const TraceEntry& entry) {
  BackendResult result;
  result.opened = entry.opened;
  result.requestSucceeded = entry.requestSucceeded;
  result.lastError = entry.lastError;
  return FormatTraceLine(entry.cdb.data(), entry.cdb.size(), entry.dataIn, entry.length, result,
                         entry.scsiStatus);
}

std::vector<std::string> Lines(const std::vector<TraceEntry>& entries) {
  std::vector<std::string> lines;
  std::transform(entries.begin(), entries.end(), std::back_inserter(lines), LineOf);
  return lines;
}

TEST(CliTrace, LinesGiveCommandBlockDirectionLengthAndResult) {
  const uint8_t write[10] = {0x3B, 0x0E, 0, 0, 0x04, 0, 0, 0x04, 0, 0};
  BackendResult ok;
  ok.opened = ok.requestSucceeded = true;
  EXPECT_EQ("[3b 0e 00 00 04 00 00 04 00 00] out 1024 ok",
            FormatTraceLine(write, sizeof write, false, 1024, ok, 0));
  const uint8_t chipInfo[12] = {0xE0, 0xF4, 0xE7};
  EXPECT_EQ("[e0 f4 e7 00 00 00 00 00 00 00 00 00] in 16 status 02",
            FormatTraceLine(chipInfo, sizeof chipInfo, true, 16, ok, 2));
  EXPECT_EQ("[e0 f4 e7 00 00 00 00 00 00 00 00 00] none 0 ok",
            FormatTraceLine(chipInfo, sizeof chipInfo, false, 0, ok, 0));
  EXPECT_EQ("[e0 f4 e7 00 00 00 00 00 00 00 00 00] in 16 ok (6 arrived)",
            FormatTraceLine(chipInfo, sizeof chipInfo, true, 16, ok, 0, 6));
  BackendResult unopened;
  unopened.lastError = 13;
  EXPECT_EQ("[3b] out 2 cannot open (error 13)", FormatTraceLine(write, 1, false, 2, unopened, 0));
  BackendResult broken;
  broken.opened = true;
  broken.lastError = 1167;
  EXPECT_EQ("[3b] out 2 failed (error 1167)", FormatTraceLine(write, 1, false, 2, broken, 0));
}

TEST(CliTrace, DecoratorsPassRequestsAndAnswersThrough) {
  RecordingBackend device;
  device.answer.dataIn = {0xF4, 0xE7, 0x6B, 0x21};
  device.answer.lastError = 0;
  std::ostringstream err;
  AccessLog watch(device, [](uint32_t code) { return code == 5; });
  TraceBackend trace(watch, err);
  ScopedSeams seams(Seams{&trace});

  uint8_t info[kChipInfoLength] = {};
  uint32_t transferred = 0;
  EXPECT_EQ(1, GetChipInfo("disk", info, kChipInfoLength, &transferred));
  ASSERT_EQ(1u, device.requests.size());
  EXPECT_EQ("disk", device.requests[0].path);
  EXPECT_EQ(0xF4, info[0]);
  EXPECT_EQ(0x21, info[3]);
  EXPECT_EQ("[e0 f4 e7 00 00 00 00 00 00 00 00 00] in 16 ok\n", err.str());
  EXPECT_FALSE(watch.refused());

  device.answer.opened = false;
  device.answer.lastError = 5;
  EXPECT_EQ(0, GetChipInfo("locked", info, kChipInfoLength, &transferred));
  device.answer.lastError = 2;
  EXPECT_EQ(0, GetChipInfo("missing", info, kChipInfoLength, &transferred));
  EXPECT_TRUE(watch.refused());
  EXPECT_EQ("locked", watch.path());
  EXPECT_EQ(5u, watch.code());
  EXPECT_TRUE(watch.Refused("locked"));
  EXPECT_FALSE(watch.Refused("missing")) << "not found is no access problem";
}

// The commands that the window's Update button sends on the outdated machine,
// from the first to the block read back.
std::vector<TraceEntry> WindowUpdate() {
  VirtualMachine machine;
  EXPECT_TRUE(BuildScenario("outdated", machine));
  VirtualShell shell;
  EmbeddedResources resources;
  ScopedSeams seams(Seams{&machine, &shell, &machine, &machine, &resources});
  TForm1 window;
  machine.ClearTrace();
  window.btn_UpdateClick(&window.btn_Update);
  EXPECT_EQ("PASS", window.pnl_Descript_3.text());
  return machine.trace();
}

TEST(CliTrace, UpdateSendsExactlyTheWindowsCommands) {
  const std::vector<TraceEntry> window = WindowUpdate();
  ASSERT_EQ(104u, window.size());
  EXPECT_EQ(CommandKind::kGetChipInfo, window.front().kind);
  EXPECT_EQ(CommandKind::kReadBridgeMemory, window.back().kind);

  std::vector<TraceEntry> cli;
  CliRunOptions options;
  options.onSimulation = [&cli](VirtualMachine& machine) {
    machine.SetAfterCommand([&cli](const TraceEntry& entry) { cli.push_back(entry); });
  };
  const CliRun run = RunTq214({"--simulate", "--trace", "update", "--yes"}, options);
  ASSERT_EQ(kExitSuccess, run.code);
  ASSERT_GT(cli.size(), window.size());

  // The update is the run's last 104 commands, right after the
  // device-information run's block read, and the same as the window's.
  const size_t start = cli.size() - window.size();
  EXPECT_EQ(CommandKind::kReadBridgeMemory, cli[start - 1].kind);
  EXPECT_EQ(std::count_if(cli.begin(), cli.begin() + static_cast<std::ptrdiff_t>(start),
                          [](const TraceEntry& e) {
                            return e.kind == CommandKind::kWriteBufferData ||
                                   e.kind == CommandKind::kWriteBridgeMemory ||
                                   e.kind == CommandKind::kReadBufferDescriptor;
                          }),
            0)
      << "nothing of the update before it";
  const std::vector<std::string> expected = Lines(window);
  const std::vector<TraceEntry> tail(cli.begin() + static_cast<std::ptrdiff_t>(start), cli.end());
  EXPECT_EQ(expected, Lines(tail));

  // --trace printed every command, the update's last.
  std::vector<std::string> printed;
  const std::vector<std::string> err = run.errLines();
  std::copy_if(err.begin(), err.end(), std::back_inserter(printed),
               [](const std::string& line) { return !line.empty() && line[0] == '['; });
  ASSERT_EQ(cli.size(), printed.size());
  EXPECT_EQ(expected, std::vector<std::string>(printed.end() - 104, printed.end()));
}

}  // namespace
