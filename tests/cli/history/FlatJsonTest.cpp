// History lines read without the general JSON parser give the same members
// as it does, and the ones it must judge are left to it; history objects
// written without a tree are the text the command-line writer gives; a line
// read and written again is the line it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/JsonWriter.h"
#include "cli/history/FlatJson.h"
#include "cli/history/HistoryEntry.h"

void PrintTo(const FlatValue& value, std::ostream* out) {
  *out << static_cast<int>(value.kind) << ":" << value.text << value.whole;
}

namespace {

FlatMembers Sorted(FlatMembers members) {
  std::sort(members.begin(), members.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return members;
}

TEST(FlatJsonTest, TheLinesReadDirectlyAreReadAsTheGeneralParserReadsThem) {
  const struct {
    const char* line;
    bool direct;  // read without the general parser
    bool object;  // an object at all
  } kCases[] = {
      {R"({"a":"x","b":41000,"c":true,"d":false,"e":null})", true, true},
      {" {\t\"a\" : \"q\\\"b\\\\s\\/\\b\\f\\n\\r\\t\" ,\"b\":0 }\r\n", true, true},
      {"{}", true, true},
      {R"({"a":9999999999999999999})", true, true},
      {R"({"a":"\u00fc\ud83d\ude00"})", false, true},
      {"{\"a\":\"\xc3\xa9\",\"b\":\"\x7f\"}", false, true},
      {R"({"a":1.0,"b":-1,"c":1e3,"d":-0})", false, true},
      {R"({"a":18446744073709551615,"b":18446744073709551616})", false, true},
      {R"({"a":1,"a":"last"})", false, true},
      {R"({"a":{"b":1},"c":[1]})", false, true},
      {"\xef\xbb\xbf{\"a\":1}", false, true},
      {R"({"a":01})", false, false},
      {R"({"a":"x"} x)", false, false},
      {R"({"a":truex})", false, false},
      {R"({"a":"x",})", false, false},
      {"{\"a\":\"tab\there\"}", false, false},
      {R"({"a":"\x"})", false, false},
      {R"({"a":"open)", false, false},
      {R"(["a"])", false, false},
      {"", false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    FlatMembers direct;
    EXPECT_EQ(ReadFlatObject(c.line, &direct), c.direct);
    const auto general = nlohmann::json::parse(c.line, nullptr, false);
    ASSERT_EQ(general.is_object(), c.object);
    if (c.direct) {
      EXPECT_EQ(Sorted(direct), Sorted(FlatMembersOf(general)));
    }
  }
  FlatMembers members;
  ASSERT_FALSE(ReadFlatObject(R"({"a":1,"a":"last"})", &members));
  members = FlatMembersOf(nlohmann::json::parse(R"({"a":1,"a":"last","b":-1})"));
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].second.text, "last");
  EXPECT_EQ(members[1].second.kind, FlatValue::Kind::kOther);
}

TEST(FlatJsonTest, WrittenObjectsAreTheTextTheCommandLineWriterGives) {
  const std::string kTexts[] = {
      "", "plain /dev/sdb", "quote \" and \\", "tab\tand\x01", "del\x7f", "8-bit \xe9", "\xc3\xa9",
  };
  for (const std::string& text : kTexts) {
    SCOPED_TRACE(text);
    FlatObjectWriter flat;
    flat.Member("text", text).MemberOrNull("orNull", text).Member("n", int64_t{-7});
    flat.Member("yes", true);
    JsonWriter tree;
    tree.BeginObject().Member("text", text).MemberOrNull("orNull", text).Member("n", -7);
    tree.Member("yes", true).EndObject();
    EXPECT_EQ(flat.text(), tree.text());
  }
}

TEST(FlatJsonTest, ALineReadAndWrittenAgainIsTheLineItWas) {
  const char* const kLines[] = {
      R"({"format":1,"kind":"update","time":"2026-12-07T16:40:36Z","device":"/dev/sdb",)"
      R"("serial":null,"port":"2-1","firmwareBefore":"21.32.0.2","result":"PASS","milliseconds":1001})",
      R"({"format":1,"kind":"update","time":"2026-12-07T16:40:36Z","serial":"S\u00e9",)"
      R"("result":"FAIL","reason":"a \"quoted\" reason","milliseconds":4294967295})",
      R"({"format":1,"kind":"confirmation","time":"2026-12-07T16:41:00Z","serial":"S1",)"
      R"("updated":"2026-12-07T16:40:36Z","firmwareAfter":"21.32.0.3","confirmed":true})",
  };
  for (const char* line : kLines) {
    HistoryEntry entry;
    std::string error;
    ASSERT_TRUE(ParseHistoryLine(line, &entry, &error)) << line << ": " << error;
    EXPECT_EQ(HistoryLine(entry), line);
  }
}

}  // namespace
