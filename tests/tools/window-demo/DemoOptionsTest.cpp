// The demo program's command line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window-demo/DemoOptions.h"

namespace {

struct Parsed {
  bool ok;
  DemoOptions options;
  std::string error;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "demo.exe");
  Parsed parsed;
  parsed.ok =
      ParseDemoOptions(static_cast<int>(args.size()), args.data(), &parsed.options, &parsed.error);
  return parsed;
}

TEST(DemoOptionsTest, DefaultsAreTheOutdatedEnclosureAtARealChipsPace) {
  const Parsed parsed = Parse({});
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ("outdated", parsed.options.scenario);
  EXPECT_EQ(150u, parsed.options.writePieceMs);
  EXPECT_EQ(20u, parsed.options.readPieceMs);
  EXPECT_FALSE(parsed.options.singleInstance) << "a demo left over never stops the next";
}

TEST(DemoOptionsTest, ScenarioAndPieceTime) {
  const Parsed parsed = Parse({"--scenario", "unplug-during-update", "--piece-ms", "20"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ("unplug-during-update", parsed.options.scenario);
  EXPECT_EQ(20u, parsed.options.writePieceMs);
  EXPECT_EQ(20u, parsed.options.readPieceMs) << "only the written pieces change";
  EXPECT_EQ(0u, Parse({"--piece-ms", "0"}).options.writePieceMs);
  EXPECT_TRUE(Parse({"--single-instance", "--scenario", "none"}).options.singleInstance);
}

TEST(DemoOptionsTest, RefusesWhatItDoesNotKnow) {
  EXPECT_FALSE(Parse({"--scenario", "three"}).ok);
  EXPECT_NE(std::string::npos, Parse({"--scenario", "three"}).error.find("three"));
  EXPECT_FALSE(Parse({"--scenario"}).ok);
  EXPECT_FALSE(Parse({"--piece-ms"}).ok);
  EXPECT_FALSE(Parse({"--piece-ms", "fast"}).ok);
  EXPECT_FALSE(Parse({"--piece-ms", "-5"}).ok);
  EXPECT_FALSE(Parse({"--piece-ms", "20ms"}).ok);
  EXPECT_FALSE(Parse({"--piece-ms", "10001"}).ok);
  EXPECT_FALSE(Parse({"outdated"}).ok);
  EXPECT_NE(std::string::npos, Parse({"--verbose"}).error.find("--verbose"));
}

TEST(DemoOptionsTest, UsageNamesEveryScenario) {
  const std::string usage = DemoUsage();
  for (const char* name : {"outdated", "current", "none", "two", "other-family", "internal-code",
                           "nvram-fail", "verify-fail", "write-ignored", "unplug-during-update"}) {
    EXPECT_NE(std::string::npos, usage.find(name)) << name;
  }
}

}  // namespace
