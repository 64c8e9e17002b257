// Progress reaches standard output's sink, the output pump's in the program,
// by the same calls here: each command's progress goes through it, under the
// keys a newer drawing replaces an older one by, and nowhere else; what it is
// given is what the plain stream shows without it; a run whose text output
// is thrown away (--json) gives it nothing.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/output/ProgressSink.h"
#include "support/CliRun.h"

namespace {

class RecordedProgress final : public ProgressSink {
 public:
  void Show(const std::string& key, const std::string& text) override {
    shown.emplace_back(key, text);
  }
  std::vector<std::pair<std::string, std::string>> shown;
};

TEST(ProgressSink, EachCommandsProgressGoesThroughTheSinkOfItsOutput) {
  const struct {
    std::vector<std::string> args;
    bool terminal;
    std::string keyStart;  // "": no progress at all
  } cases[] = {
      {{"--simulate", "update", "--yes"}, false, "progress"},
      {{"--simulate", "update", "--yes"}, true, "bar"},
      {{"--simulate=two", "update", "--all", "--yes"}, false, "unit "},
      {{"--simulate", "--json=lines", "update", "--yes"}, false, "progress \\\\"},
      {{"--simulate", "--json", "update", "--yes"}, false, ""},
  };
  for (const auto& c : cases) {
    const std::string name = testing::PrintToString(c.args) + (c.terminal ? " terminal" : "");
    RecordedProgress sink;
    CliRunOptions options;
    options.terminal = c.terminal;
    const CliRun plain = RunTq214(c.args, options);
    options.progress = &sink;
    const CliRun sunk = RunTq214(c.args, options);
    EXPECT_EQ(plain.code, sunk.code) << name;
    EXPECT_EQ(c.keyStart.empty(), sink.shown.empty()) << name;
    std::map<std::string, size_t> at;  // each key's texts come in order
    for (const auto& [key, text] : sink.shown) {
      EXPECT_EQ(0u, key.rfind(c.keyStart, 0)) << name << ": " << key;
      // Shown by the plain stream, and not a second time beside the sink.
      at[key] = plain.out.find(text, at[key]);
      ASSERT_NE(std::string::npos, at[key]) << name << ": " << text;
      at[key] += text.size();
      EXPECT_EQ(std::string::npos, sunk.out.find(text)) << name << ": " << text;
    }
  }
}

}  // namespace
