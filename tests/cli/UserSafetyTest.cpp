// What the tool owes the user around an update: the enclosure's file systems
// flushed before the first write and named in the advice to reconnect, and
// texts the device sends shown, never obeyed.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "cli/ExitCodes.h"
#include "cli/JsonWriter.h"
#include "cli/enclosure/RowResult.h"
#include "cli/text/DeviceText.h"
#include "cli/update/ResultTable.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/WindowFixture.h"

namespace {

constexpr uint32_t kFlushDenied = 5;

// The sequence number of the first firmware piece written.
uint32_t FirstWrite(const VirtualMachine& machine) {
  const auto& trace = machine.trace();
  const auto found = std::find_if(trace.begin(), trace.end(), [](const TraceEntry& e) {
    return e.kind == CommandKind::kWriteBufferData;
  });
  return found == trace.end() ? 0 : found->sequence;
}

TEST(FlushBeforeUpdate, Tq214FlushesFirstSaysWhatFailedAndNamesWhatToEject) {
  uint32_t flushedAfter = UINT32_MAX;
  uint32_t firstWrite = 0;
  CliRunOptions options;
  options.onSimulation = [&](VirtualMachine& machine) {
    machine.AddVolume('G', kScenarioEnclosurePath, 2).flushError = kFlushDenied;
    machine.SetAfterCommand([&](const TraceEntry&) {
      if (!machine.flushes().empty()) flushedAfter = machine.flushes().back().afterSequence;
      if (firstWrite == 0) firstWrite = FirstWrite(machine);
    });
  };
  const CliRun run = RunTq214({"--simulate", "update", "--yes"}, options);
  EXPECT_EQ(kExitSuccess, run.code) << run.err;
  EXPECT_LT(flushedAfter, firstWrite);
  EXPECT_EQ(std::vector<std::string>{"tq214: could not flush G: before the update (error 5); "
                                     "the update goes on"},
            run.errLines());
  EXPECT_EQ("Eject E: and G:, then reconnect the enclosure to start the new firmware.",
            run.outLines().back());
}

TEST_F(WindowTest, UpdateFlushesTheDrivesFirstAndShowsWhichFailed) {
  AddEnclosure();
  machine.AddVolume('E', window_paths::kUsb, 1).flushError = kFlushDenied;
  machine.AddVolume('F', window_paths::kUsb, 2);
  Open();
  machine.ClearTrace();
  form().btn_UpdateClick(&form().btn_Update);
  EXPECT_EQ("PASS", form().pnl_Descript_3.text());
  EXPECT_EQ("Could not flush E: before the update", form().pnl_Descript_2.text());
  ASSERT_EQ(2u, machine.flushes().size());
  EXPECT_LT(machine.flushes().back().afterSequence, FirstWrite(machine));
}

TEST(DeviceText, ControlAndNonAsciiBytesAreShownEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"Orvexa TQ-214 1.0", "Orvexa TQ-214 1.0"},
      {"x\nPASS", "x\\x0aPASS"},
      {"\x1b[2J\r", "\\x1b[2J\\x0d"},
      {"a\\x41", "a\\\\x41"},
      {"\xe9\x7f", "\\xe9\\x7f"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, EscapeDeviceText(c.first));
}

TEST(DeviceText, Tq214NeverPrintsALineTheDeviceMade) {
  const std::string evil = "x\nPASS\x1b]0;owned\x07";
  CliRunOptions options;
  options.onSimulation = [&](VirtualMachine& machine) {
    uint8_t* block = machine.Find(kScenarioEnclosurePath)->memory() + ConfigBlockAddress;
    block[config_block::ManufacturerString.lengthByte] = static_cast<uint8_t>(2 + 2 * evil.size());
    std::copy(evil.begin(), evil.end(), block + config_block::ManufacturerString.characters);
  };
  const CliRun run = RunTq214({"--simulate", "info"}, options);
  for (const std::string& line : run.outLines()) {
    EXPECT_NE("PASS", line);
    EXPECT_EQ(std::string::npos, line.find('\x1b')) << line;
  }
  EXPECT_NE(std::string::npos, run.out.find("Manufacture[  x\\x0aPASS\\x1b]0;owned\\x07  ]"));
}

TEST(DeviceText, PathsAndReasonsReachTheTerminalWithoutTheirControlBytes) {
  EXPECT_EQ("\\\\?\\usb\\x1b[2J", EscapeControlBytes("\\\\?\\usb\x1b[2J"))
      << "a Windows path keeps its backslashes";
  ResultRow row;
  row.name = "/dev/sdb\x1b[2J";
  row.places = {"/media/\x1b]0;x\x07"};
  row.result = RowResult::kFail;
  row.reason = "could not flush /media/\x1b]0;x\x07";
  EXPECT_EQ(std::string::npos, ResultTableText({row}).find('\x1b'));

  // A session whose recorded path carries an escape sequence, replayed.
  const std::string file = testing::TempDir() + "evil-path-session.json";
  ASSERT_EQ(kExitSuccess, RunTq214({"--simulate", "--record", file, "info"}).code);
  std::ifstream in(file);
  std::string session((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string path = JsonQuoted(kScenarioEnclosurePath);
  const std::string evil = JsonQuoted(std::string(kScenarioEnclosurePath) + "\x1b]0;x\x07");
  for (size_t at = 0; (at = session.find(path, at)) != std::string::npos; at += evil.size()) {
    session.replace(at, path.size(), evil);
  }
  std::ofstream(file) << session;
  for (const auto& args : {std::vector<std::string>{"--replay", file, "info"},
                           std::vector<std::string>{"--replay", file, "update", "--yes"}}) {
    const CliRun replayed = RunTq214(args);
    EXPECT_NE(std::string::npos, replayed.out.find("\\x1b]0;x\\x07")) << replayed.out;
    EXPECT_EQ(std::string::npos, (replayed.out + replayed.err).find('\x1b')) << replayed.err;
  }
}

TEST(DeviceText, PathsShowTheirCharactersButNothingThatSteersTheTerminal) {
  const std::string folder = "C:\\Users\\J\xc3\xbcrgen \xe7\x94\xa8\xe6\x88\xb7";
  const std::pair<std::string, std::string> cases[] = {
      {folder, folder},
      {std::string("a\xc2\x9b") + "2J", "a\\xc2\\x9b2J"},               // C1 CSI
      {std::string("x\xe2\x80\xae") + "evil", "x\\xe2\\x80\\xaeevil"},  // right-to-left override
      {"\xe9t\xc3", "\\xe9t\\xc3"},                                     // Latin-1, cut short
      {"\xed\xa0\x80\xc0\xaf", "\\xed\\xa0\\x80\\xc0\\xaf"},  // a surrogate, an overlong '/'
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, EscapeControlBytes(c.first));
  EXPECT_EQ(R"("C:\\Users\\J\u00fcrgen \u7528\u6237")", JsonQuoted(folder));
}

TEST(DeviceText, WhatTheUserTypedReachesTheTerminalEscapedToo) {
  const std::string evil = "\x1b[2J";
  const std::string missing = testing::TempDir() + "missing" + evil;
  struct Case {
    std::vector<std::string> args;
    std::string history;  // TQ214_HISTORY
  } const cases[] = {
      {{"li" + evil + "st"}, ""},
      {{"--simulate", "--record", missing + "/session.json", "list"}, ""},
      {{"--replay", missing + ".json", "list"}, ""},
      {{"--simulate", "history"}, missing + ".jsonl"},
  };
  for (const Case& c : cases) {
    CliRunOptions options;
    options.historyOverride = c.history;
    const CliRun run = RunTq214(c.args, options);
    EXPECT_EQ(std::string::npos, (run.out + run.err).find('\x1b')) << c.args[0];
    EXPECT_NE(std::string::npos, (run.out + run.err).find("\\x1b[2J")) << run.out << run.err;
  }
}

}  // namespace
