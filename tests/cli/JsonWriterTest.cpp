// The JSON writer of --json: what it writes reads back as written, whatever
// bytes the device's texts hold.

#include <gtest/gtest.h>

#include "cli/JsonWriter.h"
#include "support/JsonReader.h"

namespace {

TEST(CliJson, NestedValuesReadBackAsWritten) {
  JsonWriter json;
  json.BeginObject()
      .Member("name", "TQ-214")
      .Member("code", 19)
      .Member("negative", int64_t{-5})
      .Member("flag", true)
      .Member("none", std::vector<std::string>{})
      .Member("letters", std::vector<std::string>{"E:", "F:"})
      .Key("devices")
      .BeginArray()
      .BeginObject()
      .Member("off", false)
      .EndObject()
      .BeginObject()
      .EndObject()
      .EndArray()
      .EndObject();
  ASSERT_TRUE(json.complete());

  JsonValue value;
  ASSERT_TRUE(ParseJson(json.text(), &value)) << json.text();
  EXPECT_TRUE(value["name"].IsString("TQ-214"));
  EXPECT_EQ(19, value["code"].number);
  EXPECT_EQ(-5, value["negative"].number);
  EXPECT_TRUE(value["flag"].boolean);
  EXPECT_TRUE(value["none"].items.empty());
  ASSERT_EQ(2u, value["letters"].items.size());
  EXPECT_TRUE(value["letters"].items[1].IsString("F:"));
  ASSERT_EQ(2u, value["devices"].items.size());
  EXPECT_EQ(JsonValue::Type::kBool, value["devices"].items[0]["off"].type);
  EXPECT_FALSE(value["devices"].items[0]["off"].boolean);
  EXPECT_TRUE(value["devices"].items[1].members.empty());
}

TEST(CliJson, EveryByteOfADeviceTextSurvives) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string quoted = JsonQuoted(all);
  for (const char c : quoted) {
    const auto byte = static_cast<unsigned char>(c);
    EXPECT_TRUE(byte >= 0x20 && byte <= 0x7F) << "plain ASCII only, got " << int{byte};
  }
  JsonValue value;
  ASSERT_TRUE(ParseJson(quoted, &value));
  EXPECT_EQ(all, value.string);
}

TEST(CliJson, QuotesBackslashesAndLineEndsAreEscaped) {
  EXPECT_EQ(R"("a\"b\\c\nd\te\u0000")", JsonQuoted(std::string("a\"b\\c\nd\te\0", 10)));
  EXPECT_EQ(R"("\\\\?\\usbstor#disk")", JsonQuoted(R"(\\?\usbstor#disk)"));
}

// The checks of the other tests are only as good as the reader: it must turn
// away what is not JSON.
TEST(CliJson, ReaderTurnsAwayMalformedText) {
  JsonValue value;
  for (const char* bad : {"", "{", "{\"a\":1,}", "[1,]", "{\"a\":1}{}", "{\"a\" 1}", "01",
                          "\"tab\there\"", "\"\\x\"", "{\"a\":1,\"a\":2}", "tru", "{a:1}"}) {
    EXPECT_FALSE(ParseJson(bad, &value)) << bad;
  }
  EXPECT_TRUE(ParseJson(" {\"a\":[1,-2.5e3,null,\"\\u00e9\"]}\n", &value));
  EXPECT_EQ("\xE9", value["a"].items[3].string);
}

}  // namespace
