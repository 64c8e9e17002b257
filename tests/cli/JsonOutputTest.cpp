// --json: one object on standard output for every command and every ending,
// read back with a strict reader.

#include <gtest/gtest.h>

#include "cli/ExitCodes.h"
#include "sim/Scenarios.h"
#include "support/CliRun.h"
#include "support/JsonReader.h"

namespace {

// The run's standard output must be exactly one JSON object on one line.
JsonValue Object(const CliRun& run) {
  JsonValue value;
  EXPECT_EQ(1u, run.outLines().size()) << run.out;
  EXPECT_TRUE(ParseJson(run.out, &value)) << run.out;
  EXPECT_EQ(JsonValue::Type::kObject, value.type);
  EXPECT_EQ(run.code, value["exitCode"].number);
  return value;
}

void ExpectEnclosure(const JsonValue& device, const char* path, const char* letter) {
  EXPECT_TRUE(device["path"].IsString(path));
  EXPECT_TRUE(device["bus"].IsString("USB"));
  EXPECT_TRUE(device["identification"].IsString("Orvexa  TQ-214 Enclosure"));
  EXPECT_EQ(19, device["familyCode"].number);
  EXPECT_TRUE(device["tbr640"].boolean);
  ASSERT_EQ(1u, device["driveLetters"].items.size());
  EXPECT_TRUE(device["driveLetters"].items[0].IsString(letter));
}

TEST(CliJsonOutput, ListGivesEveryDevice) {
  const JsonValue two = Object(RunTq214({"--json", "--simulate=two", "list"}));
  EXPECT_TRUE(two["command"].IsString("list"));
  ASSERT_EQ(2u, two["devices"].items.size());
  ExpectEnclosure(two["devices"].items[0], kScenarioEnclosurePath, "E:");
  ExpectEnclosure(two["devices"].items[1], kScenarioSecondEnclosurePath, "F:");
  EXPECT_FALSE(two.Has("error"));

  const CliRun none = RunTq214({"--json", "--simulate=none", "list"});
  EXPECT_EQ(kExitNoDevice, none.code);
  const JsonValue empty = Object(none);
  EXPECT_TRUE(empty["devices"].items.empty());
  EXPECT_EQ(JsonValue::Type::kString, empty["error"].type);
}

TEST(CliJsonOutput, InfoGivesTheLinesAndTheDecodedFields) {
  const CliRun text = RunTq214({"--simulate", "info"});
  const CliRun run = RunTq214({"--simulate", "info", "--json"});
  EXPECT_EQ(kExitSuccess, run.code);
  const JsonValue info = Object(run);
  ExpectEnclosure(info["device"], kScenarioEnclosurePath, "E:");
  ASSERT_EQ(5u, info["lines"].items.size());
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(text.outLines()[i + 1], info["lines"].items[i].string) << "the same lines as text";
  }
  EXPECT_TRUE(info["vid"].IsString("6B21"));
  EXPECT_TRUE(info["pid"].IsString("0640"));
  EXPECT_TRUE(info["manufacturer"].IsString("Orvexa"));
  EXPECT_TRUE(info["product"].IsString("USB3.0 Disk"));
  EXPECT_TRUE(info["disk"].IsString("TQ-214  USB3.0 SATA Disk"));
  EXPECT_TRUE(info["firmwareVersion"].IsString("21.32.0.2"));
  EXPECT_EQ(JsonValue::Type::kBool, info["upToDate"].type);
  EXPECT_FALSE(info["upToDate"].boolean);

  EXPECT_TRUE(Object(RunTq214({"--json", "--simulate=current", "info"}))["upToDate"].boolean);
}

TEST(CliJsonOutput, RefusalsCarryTheReasonAndTheError) {
  struct Case {
    const char* scenario;
    const char* refusal;
    int code;
  };
  for (const Case& c : {Case{"internal-code", "internal-code", kExitFailure},
                        Case{"nvram-fail", "nvram-fail", kExitFailure},
                        Case{"newer", "newer-firmware", kExitFailure}}) {
    const CliRun run =
        RunTq214({"--json", "--simulate=" + std::string(c.scenario), "update", "--yes"});
    EXPECT_EQ(c.code, run.code);
    const JsonValue value = Object(run);
    EXPECT_TRUE(value["refusal"].IsString(c.refusal)) << c.scenario;
    EXPECT_EQ("tq214: " + value["error"].string, run.errLines().at(0));
    EXPECT_TRUE(value.Has("device"));
    EXPECT_NE(value.Has("lines"), c.refusal != std::string("newer-firmware"))
        << "the lines of an enclosure that was read whole";
  }
}

TEST(CliJsonOutput, SeveralEnclosuresAreListedInTheError) {
  const CliRun run = RunTq214({"--json", "--simulate=two", "update", "--yes"});
  EXPECT_EQ(kExitNoDevice, run.code);
  const JsonValue value = Object(run);
  EXPECT_EQ(2u, value["devices"].items.size());
  EXPECT_FALSE(value.Has("device"));
  EXPECT_FALSE(value.Has("result"));
}

TEST(CliJsonOutput, UpdateGivesOnlyItsResult) {
  const CliRun pass = RunTq214({"--json", "--simulate", "update", "--yes"});
  EXPECT_EQ(kExitSuccess, pass.code);
  const JsonValue passed = Object(pass);  // no progress or prompt around it
  EXPECT_TRUE(passed["command"].IsString("update"));
  EXPECT_TRUE(passed["result"].IsString("PASS"));
  EXPECT_EQ(5u, passed["lines"].items.size());

  const CliRun fail = RunTq214({"--json", "--simulate=verify-fail", "update", "--yes"});
  EXPECT_EQ(kExitFailure, fail.code);
  EXPECT_TRUE(Object(fail)["result"].IsString("FAIL"));

  const CliRun current = RunTq214({"--json", "--simulate=current", "update", "--yes"});
  EXPECT_EQ(kExitSuccess, current.code);
  EXPECT_TRUE(Object(current)["result"].IsString("up to date"));
}

}  // namespace
