// Recorded sessions: recording changes nothing of what a run does, a replay
// follows the session to its end and stops at the first difference, and a
// file that is not a session is refused with one line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "cli/ExitCodes.h"
#include "embedded/FirmwareImageDigest.h"
#include "session/SessionReader.h"
#include "session/SessionSeams.h"
#include "session/SessionWriter.h"
#include "support/CliRun.h"
#include "support/WindowFixture.h"

namespace {

namespace fs = std::filesystem;

// A file in the temporary directory, of this test alone, gone with it.
class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_((fs::temp_directory_path() /
               ("tq214-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                name))
                  .string()) {}
  ~TempFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::vector<std::string> CommandsOf(const VirtualMachine& machine) {
  std::vector<std::string> cdbs;
  for (const TraceEntry& e : machine.trace()) {
    if (e.kind != CommandKind::kQueryDeviceNumber)
      cdbs.push_back(e.path + std::string(e.cdb.begin(), e.cdb.end()));
  }
  return cdbs;
}

// tq214 on the simulated machine, its commands as the machine saw them.
CliRun Simulated(const std::vector<std::string>& args, std::vector<std::string>* commands) {
  CliRunOptions options;
  options.onSimulation = [commands](VirtualMachine& machine) {
    machine.SetAfterCommand(
        [&machine, commands](const TraceEntry&) { *commands = CommandsOf(machine); });
  };
  return RunTq214(args, options);
}

void Save(const Session& session, const std::string& path) {
  SessionWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(path, session.header, &error)) << error;
  for (const SessionEvent& e : session.events) writer.Append(e);
}

CliRun ReplayedUpdate(const std::string& path) {
  return RunTq214({"--replay", path, "update", "--yes"});
}

// Also for runs that fail, or whose device vanishes midway: the session is
// whole, and its replay ends as the run did.
TEST(Session, RecordingChangesNothingAndTheReplayEndsAsTheRunDid) {
  for (const std::string scenario : {"outdated", "verify-fail", "unplug-during-update"}) {
    const TempFile file(scenario + ".json");
    std::vector<std::string> recordedCommands;
    const CliRun recorded = Simulated(
        {"--simulate=" + scenario, "--record", file.path(), "update", "--yes"}, &recordedCommands);
    std::vector<std::string> plain;
    const CliRun unrecorded = Simulated({"--simulate=" + scenario, "update", "--yes"}, &plain);
    EXPECT_EQ(unrecorded.out, recorded.out) << scenario;
    EXPECT_EQ(unrecorded.code, recorded.code) << scenario;
    EXPECT_EQ(plain, recordedCommands) << scenario;

    const CliRun replayed = ReplayedUpdate(file.path());
    EXPECT_EQ(recorded.code, replayed.code) << scenario << ": " << replayed.err;
    EXPECT_EQ(recorded.out, replayed.out) << scenario;
  }
}

// A whole update recorded by tq214 in the USB harness's guest, through the
// kernel's usb-storage and SG_IO (tests/data/kernel-update-session.json).
class KernelSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const SessionLoad load = LoadSession(file, &session);
    ASSERT_TRUE(load.ok) << load.error;
    if (session.header.firmwareSha256 != kFirmwareImageSha256) {
      GTEST_SKIP() << "recorded with another firmware image than this build carries";
    }
  }

  const std::string file = TQ214_TEST_DATA_DIR "/kernel-update-session.json";
  TempFile altered{"altered.json"};
  Session session;
};

// What a unit is and what a device said travel with the session: the serial
// number with a disk's places, the sense the system fetched with a command.
TEST_F(KernelSessionTest, SerialNumbersAndSenseAreKeptInTheFile) {
  Session kept = session;
  SessionEvent places;
  places.kind = EventKind::kPlaces;
  places.path = "usbstor:/dev/sdz";
  places.texts->text = "/dev/sdz";
  places.texts->serial = "0000000000000214";
  kept.events.push_back(places);
  SessionEvent* command = nullptr;
  for (SessionEvent& e : kept.events) {
    if (e.kind == EventKind::kCommand && command == nullptr) command = &e;
  }
  ASSERT_NE(nullptr, command);
  command->command->sense = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0};
  const std::vector<uint8_t> sense = command->command->sense;
  Save(kept, altered.path());
  Session read;
  ASSERT_TRUE(LoadSession(altered.path(), &read).ok);
  EXPECT_EQ("0000000000000214", read.events.back().texts->serial);
  const auto first =
      std::find_if(read.events.begin(), read.events.end(),
                   [](const SessionEvent& e) { return e.kind == EventKind::kCommand; });
  EXPECT_EQ(sense, first->command->sense);
}

TEST_F(KernelSessionTest, Tq214AndTheWindowReachTheVerdictsOfTheLiveRun) {
  const CliRun replayed = ReplayedUpdate(file);
  EXPECT_EQ(kExitSuccess, replayed.code) << replayed.err;
  const std::vector<std::string> lines = replayed.outLines();
  EXPECT_EQ("Device: /dev/sda  USB  no serial  \"Orvexa  TQ-214 Enclosure\"", lines.front());
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "Chip FW Version[  21.32.00.01  ]"));
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "PASS"));

  SessionSeams replay;
  Seams seams;
  std::string error;
  ASSERT_TRUE(replay.Replay(file, &seams, &error)) << error;
  VirtualShell shell;
  EmbeddedResources resources;
  seams.shell = &shell;
  seams.resources = &resources;
  ScopedSeams installed(seams);
  TForm1 window;
  EXPECT_EQ("Chip FW Version[  21.32.00.01  ]", window.pnl_Descript_5.text());
  window.btn_UpdateClick(&window.btn_Update);
  EXPECT_EQ("PASS", window.pnl_Descript_3.text());
  EXPECT_EQ("", replay.Verdict());
}

// The configuration block as the update writes it back: kept whole in the
// session, unlike the firmware pieces.
SessionEvent& BlockWrite(Session& session) {
  for (SessionEvent& e : session.events) {
    if (e.kind == EventKind::kCommand && !e.dataIn && e.command->cdb[0] == 0xDF &&
        e.command->cdb[1] == 0x01) {
      return e;
    }
  }
  ADD_FAILURE() << "the session writes no configuration block";
  return session.events.front();
}

TEST_F(KernelSessionTest, AReplayStopsWhereTheRunDiffers) {
  const auto commandAt = [this](size_t k) -> SessionEvent& {
    for (SessionEvent& e : session.events) {
      if (e.kind == EventKind::kCommand && --k == 0) return e;
    }
    return session.events.front();
  };
  struct Case {
    const char* name;
    std::function<void()> alter;
    const char* said;
  } const cases[] = {
      {"a command block", [&] { commandAt(37).command->cdb.back() = 0xFF; },
       "the session differs at command 37: recorded [3b 0e 00 00 64 00 00 04 00 ff] out 1024, "
       "now [3b 0e 00 00 64 00 00 04 00 00] out 1024"},
      {"a byte of a reply",
       [&] {
         for (SessionEvent& e : session.events) {
           // The first piece read back: the compare fails, and the second
           // attempt is not in the session.
           if (e.kind == EventKind::kCommand && e.command->cdb[0] == 0x3C &&
               e.command->cdb[1] == 0x01) {
             e.command->in[0] ^= 0xFF;
             break;
           }
         }
       },
       "the session differs at command"},
      {"a time-out", [&] { commandAt(1).timeout = 11; },
       "the session differs at command 1: recorded [12 00 00 00 28 00 00 00 00 00 00 00] in 40 "
       "timeout 11, now [12 00 00 00 28 00 00 00 00 00 00 00] in 40 timeout 10"},
      {"a share mode", [&] { commandAt(1).share = ShareMode::kNone; },
       "the session differs at command 1: recorded [12 00 00 00 28 00 00 00 00 00 00 00] in 40 "
       "share none, now [12 00 00 00 28 00 00 00 00 00 00 00] in 40 share readWrite"},
      {"a byte the block write sent", [&] { BlockWrite(session).command->out[100] ^= 0x01; },
       "the session differs at command 112: recorded [df 01 00 02 00 00 00 00 00 d0 00 fb] out 512 "
       "sha256 e5f956c85e06, now [df 01 00 02 00 00 00 00 00 d0 00 fb] out 512 sha256 "
       "3f2bf8b523df"},
      {"the block write's digest, its bytes not kept",
       [&] {
         CommandBytes& write = *BlockWrite(session).command;
         write.outKept = false;
         write.out.clear();
         write.outSha256[0] = write.outSha256[0] == '0' ? '1' : '0';
       },
       "the session differs at command 112: recorded [df 01 00 02 00 00 00 00 00 d0 00 fb] out 512 "
       "sha256 0f2bf8b523df, now [df 01 00 02 00 00 00 00 00 d0 00 fb] out 512 sha256 "
       "3f2bf8b523df"},
      {"commands the run did not send", [&] { session.events.push_back(commandAt(2)); },
       "the run ended with 1 recorded command left over"},
      {"a session that ends early", [&] { session.events.resize(session.events.size() / 2); },
       "recorded nothing more"},
  };
  const Session original = session;
  for (const Case& c : cases) {
    session = original;
    c.alter();
    Save(session, altered.path());
    const CliRun run = ReplayedUpdate(altered.path());
    EXPECT_EQ(kExitFailure, run.code) << c.name;
    ASSERT_FALSE(run.errLines().empty()) << c.name;
    const std::string said = run.errLines().back();
    EXPECT_EQ(0u, said.find("tq214: ")) << said;
    EXPECT_NE(std::string::npos, said.find(c.said)) << c.name << ": " << said;
  }
}

// The data sent compares whole where both sides have the bytes, by SHA-256
// where the session has only that, or only the bytes.
TEST_F(KernelSessionTest, AReplayFollowsTheDataSentHoweverTheSessionKeptIt) {
  struct Case {
    const char* name;
    std::function<void(CommandBytes&)> keep;
  } const cases[] = {
      {"the bytes alone", [](CommandBytes& c) { c.outSha256.clear(); }},
      {"the digest alone",
       [](CommandBytes& c) {
         c.outKept = false;
         c.out.clear();
       }},
  };
  const Session original = session;
  for (const Case& c : cases) {
    session = original;
    c.keep(*BlockWrite(session).command);
    Save(session, altered.path());
    const CliRun run = ReplayedUpdate(altered.path());
    EXPECT_EQ(kExitSuccess, run.code) << c.name << ": " << run.err;
  }
}

std::string With(std::string text, const std::string& part, const std::string& instead) {
  return text.replace(text.find(part), part.size(), instead);
}

const std::string kHeader =
    R"({"format":1,"program":"tq214","version":"1","firmware":{"version":"21.32.0.3",)"
    R"("kind":"k","sha256":"s"},"system":"s","placesKey":"driveLetters","started":"t",)"
    R"("arguments":[],"events":[)";

TEST(SessionFile, WhatIsNotASessionIsRefusedWithOneLine) {
  Session session;
  const std::string& header = kHeader;
  const std::string command =
      R"({"kind":"command","path":"p","cdb":"12","dir":"in","length":4,"timeout":10,)"
      R"("share":"readWrite","opened":true,"succeeded":true,"error":0,"status":0,)"
      R"("transferred":4,"in":"01020304","us":5})";
  const std::pair<std::string, const char*> cases[] = {
      {"", "not a session file: line 1, column 1"},
      {"[1,2]", "not a session file: not a JSON object"},
      {std::string(50, '[') + std::string(50, ']'), "line 1, column 5: nested deeper"},
      {R"({"format":2})", "format 2 is not one"},
      {header + R"({"kind":"reboot"}]})", "event 1: 'kind' \"reboot\" is not a kind of event"},
      {header + R"({"kind":"command"}]})", "event 1: 'path' is missing"},
      {header + R"({"kind":"flush","path":"E:","value":-1}]})", "event 1: 'value' must be"},
      {header + With(command, "\"12\"", "\"1g\"") + "]}",
       "event 1: 'cdb' must be hexadecimal bytes"},
      {header + With(command, "\"12\"", "\"" + std::string(34, '0') + "\"") + "]}",
       "event 1: 'cdb' must be hexadecimal bytes, at most 16"},
      {header + With(command, "\"length\":4", "\"length\":2") + "]}",
       "event 1: 'in' must be hexadecimal bytes, at most 2"},
  };
  for (const auto& c : cases) {
    const SessionLoad load = ParseSession(c.first, "f.json", &session);
    EXPECT_FALSE(load.ok) << c.first;
    EXPECT_EQ(0u, load.error.find(std::string("f.json: ") + c.second)) << load.error;
    EXPECT_EQ(std::string::npos, load.error.find('\n')) << load.error;
  }

  // A file a crash cut short inside its second event reads up to the first.
  const SessionLoad cut =
      ParseSession(header + "\n" + command + ",\n" + command.substr(0, 30), "f.json", &session);
  EXPECT_TRUE(cut.ok) << cut.error;
  EXPECT_TRUE(cut.cutShort);
  EXPECT_EQ(1u, session.events.size());
}

// The shapes that cost a reader most for their size: a list of the smallest
// values, and the most events, of the smallest kind (smaller here than the
// 64 MiB and million events scripts/session-memory.sh measures). Each is read
// or refused with one line.
TEST(SessionFile, HostileFilesAreReadOrRefusedWithOneLine) {
  const size_t maxEvents = 1000;
  const auto events = [](size_t count) {
    const std::string event = R"({"kind":"logicalDrives","value":0})";
    std::string text = kHeader;
    for (size_t i = 0; i < count; ++i) text += (i == 0 ? "\n" : ",\n") + event;
    return text + "\n]}\n";
  };
  const TempFile zeros("zeros.json");
  {
    std::ofstream out(zeros.path(), std::ios::binary);
    out << '[';
    for (int i = 0; i < 512 * 1024; ++i) out << "0,";
    out << "0]";
  }
  const TempFile large("large.json");
  std::ofstream(large.path(), std::ios::binary).close();
  fs::resize_file(large.path(), kMaxSessionFileBytes + 1);

  const auto loaded = [](const TempFile& file) {
    return [&file](Session* session) { return LoadSession(file.path(), session); };
  };
  const auto parsed = [&events, maxEvents](size_t count) {
    return [&events, maxEvents, count](Session* session) {
      return ParseSession(events(count), "f", session, maxEvents);
    };
  };
  struct Case {
    const char* name;
    std::function<SessionLoad(Session*)> read;
    std::string said;  // "" when read
  } const cases[] = {
      {"a list of zeros", loaded(zeros), zeros.path() + ": not a session file: not a JSON object"},
      {"a byte more than a session file holds", loaded(large),
       large.path() + ": more than 67108864 bytes, more than a session file holds"},
      {"as many events as a session holds", parsed(maxEvents), ""},
      {"one more", parsed(maxEvents + 1), "f: 1001 events, more than a session holds (1000)"},
  };
  for (const Case& c : cases) {
    Session session;
    const SessionLoad load = c.read(&session);
    if (c.said.empty()) {
      EXPECT_TRUE(load.ok) << c.name << ": " << load.error;
      EXPECT_EQ(maxEvents, session.events.size()) << c.name;
    } else {
      EXPECT_EQ(c.said, load.error) << c.name;
    }
  }
}

}  // namespace
