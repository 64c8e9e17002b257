// tq214's command line: what it accepts, what it turns away with exit code 4.

#include <gtest/gtest.h>

#include "cli/CliArguments.h"
#include "cli/ExitCodes.h"
#include "embedded/FirmwareImageDigest.h"
#include "support/CliRun.h"
#include "support/JsonReader.h"

namespace {

CliArguments Parsed(const std::vector<std::string>& args) {
  CliArguments out;
  std::string error;
  EXPECT_TRUE(ParseArguments(args, &out, &error)) << error;
  return out;
}

std::string Refused(const std::vector<std::string>& args) {
  CliArguments out;
  std::string error;
  EXPECT_FALSE(ParseArguments(args, &out, &error));
  EXPECT_FALSE(error.empty());
  return error;
}

TEST(CliArguments, OptionsStandBeforeOrAfterTheCommand) {
  const CliArguments before =
      Parsed({"--json", "--trace", "--simulate=two", "info", "--device", "/dev/sdb"});
  const CliArguments after =
      Parsed({"info", "--device=/dev/sdb", "--simulate=two", "--trace", "--json"});
  for (const CliArguments& a : {before, after}) {
    ASSERT_NE(nullptr, a.command);
    EXPECT_STREQ("info", a.command->name);
    EXPECT_TRUE(a.json);
    EXPECT_TRUE(a.trace);
    EXPECT_TRUE(a.simulate);
    EXPECT_EQ("two", a.scenario);
    EXPECT_EQ("/dev/sdb", a.device);
  }
}

TEST(CliArguments, SimulateWithoutNameIsTheOutdatedMachine) {
  EXPECT_EQ("outdated", Parsed({"--simulate", "list"}).scenario);
  EXPECT_FALSE(Parsed({"list"}).simulate);
}

TEST(CliArguments, PieceTimeGoesWithSimulate) {
  const CliArguments paced = Parsed({"--simulate", "update", "--piece-ms", "150"});
  EXPECT_TRUE(paced.pieceMsGiven);
  EXPECT_EQ(150u, paced.pieceMs);
  EXPECT_EQ(10000u, Parsed({"--simulate", "list", "--piece-ms=10000"}).pieceMs);
  EXPECT_FALSE(Parsed({"--simulate", "list"}).pieceMsGiven);
}

TEST(CliArguments, UpdateTakesYesInBothSpellings) {
  EXPECT_TRUE(Parsed({"update", "--yes"}).yes);
  EXPECT_TRUE(Parsed({"-y", "update"}).yes);
  EXPECT_FALSE(Parsed({"update"}).yes);
  EXPECT_TRUE(Parsed({"update", "--json", "--yes"}).json);
}

TEST(CliArguments, HelpAndVersionNeedNoCommandAndWinOverMistakes) {
  EXPECT_TRUE(Parsed({"--help"}).help);
  EXPECT_TRUE(Parsed({"update", "-h"}).help);
  EXPECT_TRUE(Parsed({"--version"}).version);
  // --json update without --yes would be refused, but help comes first.
  EXPECT_TRUE(Parsed({"--json", "update", "--help"}).help);
}

TEST(CliArguments, MistakesAreRefusedWithAReason) {
  EXPECT_NE(std::string::npos, Refused({}).find("no command"));
  EXPECT_NE(std::string::npos, Refused({"flash"}).find("'flash'"));
  EXPECT_NE(std::string::npos, Refused({"list", "--force"}).find("'--force'"));
  EXPECT_NE(std::string::npos, Refused({"list", "info"}).find("'info'"));
  EXPECT_NE(std::string::npos, Refused({"info", "--device"}).find("needs a path"));
  EXPECT_NE(std::string::npos, Refused({"info", "--device="}).find("needs a path"));
  EXPECT_NE(std::string::npos, Refused({"info", "--device", "a", "--device", "b"}).find("twice"));
  EXPECT_NE(std::string::npos, Refused({"list", "--device", "/dev/sdb"}).find("list"));
  EXPECT_NE(std::string::npos, Refused({"info", "--yes"}).find("--yes"));
  EXPECT_NE(std::string::npos, Refused({"--json", "update"}).find("--yes"));
  EXPECT_NE(std::string::npos, Refused({"update", "--piece-ms", "20"}).find("--simulate"));
  EXPECT_NE(std::string::npos, Refused({"--simulate", "list", "--piece-ms=2x"}).find("0 to"));
  EXPECT_NE(std::string::npos, Refused({"--simulate", "list", "--piece-ms=10001"}).find("0 to"));
  EXPECT_NE(std::string::npos, Refused({"--simulate", "list", "--piece-ms"}).find("number"));
  const std::string scenario = Refused({"--simulate=broken", "list"});
  EXPECT_NE(std::string::npos, scenario.find("'broken'"));
  EXPECT_NE(std::string::npos, scenario.find("unplug-during-update")) << "names the choices";
}

TEST(CliArguments, EveryOptionGivenTwiceIsRefusedWhateverItsSpelling) {
  // Each option of the parser's table, first in its other spelling where it
  // has one; a value where it needs one ("1" passes each such option).
  for (const OptionSpelling& option : OptionTable()) {
    const std::string value = option.value == OptionValue::kRequired ? "=1" : "";
    const std::string first = (option.alias != nullptr ? option.alias : option.name) + value;
    const std::string second = option.name + value;
    EXPECT_EQ(std::string(option.name) + " given twice", Refused({first, "update", second}))
        << first << " " << second;
  }
}

TEST(CliArguments, BadUsageExitsWithFourAndOneLine) {
  const CliRun run = RunTq214({"--simulate", "update", "--json"});
  EXPECT_EQ(kExitUsage, run.code);
  ASSERT_EQ(1u, run.errLines().size());
  EXPECT_EQ(0u, run.errLines()[0].find("tq214: "));
  JsonValue json;
  ASSERT_TRUE(ParseJson(run.out, &json)) << run.out;
  EXPECT_EQ(4, json["exitCode"].number);
  EXPECT_EQ(json["error"].string, run.errLines()[0].substr(7));

  const CliRun text = RunTq214({"--simulate", "frobnicate"});
  EXPECT_EQ(kExitUsage, text.code);
  EXPECT_EQ("", text.out) << "nothing on standard output without --json";
}

TEST(CliArguments, HelpAndVersionPrintAndSucceed) {
  const CliRun help = RunTq214({"--help"});
  EXPECT_EQ(kExitSuccess, help.code);
  for (const char* word : {"list", "info", "update", "--device", "--yes", "--json", "--trace",
                           "--simulate", "Perform update? [y/N]", "nvram-fail"}) {
    EXPECT_NE(std::string::npos, help.out.find(word)) << word;
  }
  for (const std::string& line : help.outLines()) EXPECT_LT(line.size(), 80u) << line;
  const std::vector<std::string> version = RunTq214({"--version"}).outLines();
  ASSERT_EQ(2u, version.size());
  EXPECT_EQ("tq214 1.0.0.1", version[0]);
  // The system's SHA-256 of the bytes the program carries is CMake's of the
  // file the build took.
  EXPECT_EQ(std::string("firmware image 21.32.0.3 (") + kFirmwareImageKind + "), SHA-256 " +
                kFirmwareImageSha256,
            version[1]);
}

}  // namespace
