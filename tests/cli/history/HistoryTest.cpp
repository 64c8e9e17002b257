// The update history: what an update leaves in it, also when it fails
// midway (and in the system journal, with the device's sense); a damaged line skipped and named,
// and so is one of a later format, while one written before there were formats is read; a file that
// cannot be written never stops an update; simulated runs leave the machine's history alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/fleet/SystemJournal.h"
#include "cli/history/HistoryFile.h"
#include "seams/ProgramVersion.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

namespace {

class HistoryTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.ok()); }
  std::string File(const char* name) const { return (temp_.path() / name).string(); }
  CliRunOptions Writing(const std::string& file) const {
    CliRunOptions options;
    options.historyOverride = file;
    return options;
  }

 private:
  TempDir temp_;
};

// The fields of each entry sent.
class JournalEntries final : public SystemJournal {
 public:
  bool Send(const std::vector<std::string>& fields, std::string*) override {
    sent.push_back(fields);
    return true;
  }
  std::vector<std::vector<std::string>> sent;
};

TEST_F(HistoryTest, AnUpdateThatFailsMidwayLeavesItsLineWithWhatTheDeviceSaid) {
  const std::string file = File("history.jsonl");
  CliRunOptions options = Writing(file);
  JournalEntries journal;
  options.journal = &journal;
  options.onSimulation = [](VirtualMachine& machine) {
    machine.Find(kScenarioEnclosurePath)->faults().failWritePiecesFrom = 25;
  };
  const CliRun run = RunTq214({"--simulate", "--json", "update", "--yes"}, options);
  EXPECT_EQ(kExitFailure, run.code);
  const HistoryRead read = ReadHistory(file);
  ASSERT_EQ(1u, read.entries.size());
  const HistoryEntry& entry = read.entries[0];
  EXPECT_EQ("FAIL", entry.result);
  EXPECT_EQ("0000000000000214", entry.serial);
  EXPECT_EQ("21.32.0.2", entry.firmwareBefore);
  EXPECT_EQ("USB3.0 Disk", entry.productBefore);
  EXPECT_NE(std::string::npos,
            entry.reason.find("(the device answered HARDWARE ERROR, INTERNAL TARGET FAILURE)"))
      << entry.reason;
  EXPECT_NE(std::string::npos, run.out.find("\"sense\":{\"key\":4,\"asc\":68,\"ascq\":0"))
      << run.out;
  // The journal's entry says it too.
  ASSERT_EQ(1u, journal.sent.size());
  const std::vector<std::string>& fields = journal.sent[0];
  for (const std::string& field : {std::string("TQ_OUTCOME=failed"),
                                   std::string("TQ_SENSE=HARDWARE ERROR, INTERNAL TARGET FAILURE"),
                                   std::string("TQ_TOOL_VERSION=") + kProgramVersionText}) {
    EXPECT_NE(std::find(fields.begin(), fields.end(), field), fields.end()) << field;
  }
}

TEST_F(HistoryTest, AFailureNamesWhatTheDeviceSaidOfTheCommandThatFailedOnly) {
  // The first attempt's third piece fails with HARDWARE ERROR; the second
  // attempt writes and reads back the whole image; then the enclosure is gone
  // before its configuration block is read, and says nothing.
  const std::string file = File("history.jsonl");
  CliRunOptions options = Writing(file);
  int pieces = 0;
  int readBack = 0;
  options.onSimulation = [&](VirtualMachine& machine) {
    Faults& faults = machine.Find(kScenarioEnclosurePath)->faults();
    machine.SetAfterCommand([&](const TraceEntry& entry) {
      if (entry.kind == CommandKind::kWriteBufferData) {
        faults.failKind[static_cast<int>(CommandKind::kWriteBufferData)] = ++pieces == 2;
      }
      if (entry.kind == CommandKind::kReadBufferData && ++readBack == 49) {
        machine.Remove(kScenarioEnclosurePath);
      }
    });
  };
  const CliRun run = RunTq214({"--simulate", "--json", "update", "--yes"}, options);
  const HistoryRead read = ReadHistory(file);
  ASSERT_EQ(1u, read.entries.size()) << run.out;
  EXPECT_EQ("the configuration block could not be written and verified", read.entries[0].reason);
  EXPECT_EQ(std::string::npos, run.out.find("\"sense\"")) << run.out;
}

TEST_F(HistoryTest, ADamagedLineIsNamedAndSkipped) {
  const std::string file = File("history.jsonl");
  RunTq214({"--simulate", "update", "--yes"}, Writing(file));
  std::ofstream(file, std::ios::app) << "{\"kind\":\"update\",\"ti\n";
  RunTq214({"--simulate=current", "update", "--yes"}, Writing(file));
  const CliRun shown = RunTq214({"--simulate", "history"}, Writing(file));
  EXPECT_EQ(kExitSuccess, shown.code);
  ASSERT_EQ(2u, shown.outLines().size()) << shown.out;
  EXPECT_NE(std::string::npos, shown.outLines()[0].find("#0000000000000214  21.32.0.2  PASS"));
  EXPECT_NE(std::string::npos, shown.outLines()[1].find("skipped: up to date"));
  EXPECT_NE(std::string::npos, shown.err.find("line 2: not a JSON object; skipped")) << shown.err;
}

TEST_F(HistoryTest, LinesWithoutAFormatAreReadAndLaterFormatsNamedAndSkipped) {
  const std::string file = File("history.jsonl");
  const std::string members =
      R"("kind":"update","time":"2026-12-01T10:00:00Z","tool":"1.0.0.1","device":"/dev/sdb",)"
      R"("serial":"0000000000000214","firmwareBefore":"21.32.0.2","result":"PASS",)"
      R"("milliseconds":41000})";
  std::ofstream(file) << "{" << members << "\n{\"format\":1," << members << "\n{\"format\":2,"
                      << members << "\n";
  const CliRun shown = RunTq214({"--simulate", "history"}, Writing(file));
  EXPECT_EQ(2u, shown.outLines().size()) << shown.out;
  EXPECT_EQ(std::vector<std::string>{"tq214: " + file +
                                     ": line 3: format 2, newer than this tool reads (1); skipped"},
            shown.errLines());
}

TEST_F(HistoryTest, LinesOutsideWhatTheToolWritesAreDamagedNamedAndListed) {
  // A good line with the value of one member put in its place.
  const auto line = [](const std::string& member, const std::string& value) {
    std::string text =
        R"({"format":1,"kind":"update","time":"2026-12-01T10:00:00Z","tool":"1.0.0.1",)"
        R"("device":"/dev/sdb","serial":"0000000000000214","result":"PASS","milliseconds":41000})";
    const size_t at = text.find("\"" + member + "\":");
    const size_t from = at + member.size() + 3;
    const size_t to = text.find_first_of(",}", from);  // no value of it holds either
    return text.replace(from, to - from, value);
  };
  struct Case {
    std::string line;
    std::string reason;  // "" for a line that is read
  };
  const Case cases[] = {
      {line("milliseconds", "41000"), ""},
      {line("milliseconds", "1e308"), "'milliseconds' is not a whole number from 0 to 4294967295"},
      {line("milliseconds", "-1"), "'milliseconds' is not a whole number from 0 to 4294967295"},
      {line("milliseconds", "41000.5"),
       "'milliseconds' is not a whole number from 0 to 4294967295"},
      {line("milliseconds", "4294967296"),
       "'milliseconds' is not a whole number from 0 to 4294967295"},
      {line("time", R"("9999-99-99T99:99:99Z")"), "'time' is not a time as the history writes it"},
      {line("time", R"("2026-02-29T10:00:00Z")"), "'time' is not a time as the history writes it"},
      {line("time", R"("2026-12-01 10:00:00")"), "'time' is not a time as the history writes it"},
      {line("time", R"("2028-02-29T23:59:59Z")"), ""},
      {line("result", R"("exploded")"), "result 'exploded' is not PASS, FAIL, refused or skipped"},
      {line("format", "1.0"), "'format' is not a format number"},
      {R"({"format":1,"kind":"confirmation","time":"2026-12-01T10:01:00Z","updated":"someday",)"
       R"("serial":"0000000000000214","device":"/dev/sdb","confirmed":true})",
       "'updated' is not a time as the history writes it"},
  };
  const std::string file = File("history.jsonl");
  {
    std::ofstream out(file);
    for (const Case& c : cases) out << c.line << "\n";
  }
  const CliRun shown = RunTq214({"--simulate", "--json", "history"}, Writing(file));
  EXPECT_EQ(kExitSuccess, shown.code) << shown.err;
  size_t read = 0;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string number = std::to_string(i + 1);
    const std::string listed = R"({"line":)" + number + R"(,"reason":")" + cases[i].reason;
    const std::string noted = "line " + number + ": " + cases[i].reason + "; skipped";
    if (cases[i].reason.empty()) {
      ++read;
      EXPECT_EQ(std::string::npos, shown.err.find("line " + number + ":")) << cases[i].line;
      continue;
    }
    EXPECT_NE(std::string::npos, shown.out.find(listed)) << cases[i].line << "\n" << shown.out;
    EXPECT_NE(std::string::npos, shown.err.find(noted)) << cases[i].line << "\n" << shown.err;
  }
  const size_t entries = ReadHistory(file).entries.size();
  EXPECT_EQ(read, entries);
}

TEST_F(HistoryTest, AFileThatCannotBeWrittenNeverStopsTheUpdate) {
  std::ofstream(File("a-file")) << "in the way";
  const CliRun run = RunTq214({"--simulate=two", "update", "--all", "--yes"},
                              Writing(File("a-file") + "/history.jsonl"));
  EXPECT_EQ(kExitSuccess, run.code) << run.err;
  EXPECT_EQ(1u, run.errLines().size()) << "one warning for both: " << run.err;
}

TEST_F(HistoryTest, SimulatedRunsLeaveTheMachinesHistoryAlone) {
  CliRunOptions options;
  options.historyPath = File("machine.jsonl");
  RunTq214({"--simulate", "update", "--yes"}, options);
  RunTq214({"--simulate", "--no-history", "update", "--yes"}, Writing(File("named.jsonl")));
  EXPECT_FALSE(ReadHistory(File("machine.jsonl")).found);
  EXPECT_FALSE(ReadHistory(File("named.jsonl")).found);
}

}  // namespace
