// --json=lines: every line one JSON object; the events first, each naming its
// kind and its enclosure, progress at most every 5 percent, a watch's
// arrivals, removals and confirmations among them; last, the very object
// that --json gives. Also run under ThreadSanitizer (update --all
// writes its events from the updates' threads).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/CliRun.h"
#include "support/JsonReader.h"

namespace {

// Without what differs from run to run: the durations, and the order in
// which a watch's enclosures came to an end.
std::string Comparable(const std::string& line) {
  auto document = nlohmann::json::parse(
      std::regex_replace(line, std::regex("\"milliseconds\":[0-9]+"), "\"milliseconds\":0"),
      nullptr, false);
  if (document.contains("devices") && document["devices"].is_array()) {
    std::sort(document["devices"].begin(), document["devices"].end(),
              [](const auto& a, const auto& b) { return a.dump() < b.dump(); });
  }
  return document.dump();
}

TEST(CliJsonLines, EventsThenTheObjectOfJson) {
  struct Case {
    std::vector<std::string> args;
    // The events' kinds and results, as "start", "result PASS", ...
    std::multiset<std::string> kinds;
  };
  const std::vector<std::string> station = {"--simulate=station", "update", "--all", "--yes"};
  for (const Case& c : {
           Case{{"--simulate", "update", "--yes"}, {"start", "result PASS"}},
           Case{{"--simulate=verify-fail", "update", "--yes"}, {"start", "result FAIL"}},
           Case{station,
                {"start", "start", "start", "result PASS", "result FAIL", "result FAIL",
                 "result up to date", "result skipped", "result skipped"}},
           Case{{"--simulate=station", "watch", "--update", "--yes"},
                {"arrival",
                 "arrival",
                 "arrival",
                 "arrival",
                 "arrival",
                 "arrival",
                 "arrival",
                 "start",
                 "start",
                 "start",
                 "start",
                 "result PASS",
                 "result PASS",
                 "result FAIL",
                 "result FAIL",
                 "result up to date",
                 "result skipped",
                 "result skipped",
                 "removal",
                 "removal",
                 "removal",
                 "confirmation true",
                 "confirmation true"}},
       }) {
    std::vector<std::string> lines = c.args;
    lines.insert(lines.begin(), "--json=lines");
    std::vector<std::string> whole = c.args;
    whole.insert(whole.begin(), "--json");
    const CliRun events = RunTq214(lines);
    const CliRun object = RunTq214(whole);
    const std::string name = c.args.front();

    EXPECT_EQ(object.code, events.code) << name;
    ASSERT_FALSE(events.outLines().empty()) << name;
    EXPECT_EQ(Comparable(object.out), Comparable(events.outLines().back())) << name;
    std::multiset<std::string> kinds;
    std::map<std::string, int> percent;  // the last progress of each enclosure
    for (size_t i = 0; i + 1 < events.outLines().size(); ++i) {
      JsonValue event;
      ASSERT_TRUE(ParseJson(events.outLines()[i], &event)) << events.outLines()[i];
      const std::string kind = event["event"].string;
      const std::string path = event["path"].string;
      EXPECT_FALSE(path.empty() || !event.Has("serial") || !event.Has("place")) << i;
      if (kind == "start" || kind == "result" || kind == "arrival" || kind == "removal") {
        kinds.insert(kind + (kind == "result" ? " " + event["result"].string : ""));
      } else if (kind == "confirmation") {
        kinds.insert(kind + (event["confirmed"].boolean ? " true" : " false"));
      } else if (kind == "progress") {
        const int now = static_cast<int>(event["percent"].number);
        EXPECT_GE(now, percent[path] + 5) << events.outLines()[i];
        percent[path] = now;
      } else {
        EXPECT_EQ("phase", kind) << events.outLines()[i];
      }
    }
    EXPECT_EQ(c.kinds, kinds) << name << "\n" << events.out;
  }
}

}  // namespace
