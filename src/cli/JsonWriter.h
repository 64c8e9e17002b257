#pragma once
// tq214's --json output, written through the JSON library: objects, arrays,
// strings, integers and booleans, added in the order they come and printed
// compactly. Texts are taken as UTF-8 where they are well-formed (paths,
// arguments); any other byte above 0x7F (a device's 8-bit text) stands for
// the character of the same number (U+0080 to U+00FF). Every character
// beyond ASCII is written escaped (\u00fc, \u7528), so the output is plain
// ASCII and always valid whatever the device holds.
//
// Every document tq214 writes (a command's result, an error before any
// command ran, a line of the update history) begins with "format": the
// shape its members have (docs/schema/). A member whose meaning changes, or
// one that goes away, needs a new number; within a number members are only
// added, as optional ones.

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

constexpr int kJsonFormat = 1;

// A duration in seconds as the whole milliseconds the documents give: the
// nearest, so that a time read back from them is written as it was.
inline int64_t JsonMilliseconds(double seconds) {
  return static_cast<int64_t>(std::llround(seconds * 1000));
}

// The library's empty value does not throw on construction.
class JsonWriter {  // NOLINT(bugprone-exception-escape)
 public:
  // A document's object, begun with its "format" member.
  JsonWriter& BeginDocument() { return BeginObject().Member("format", kJsonFormat); }
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the object being written.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& value);
  JsonWriter& Number(int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Shorthands for one member.
  JsonWriter& Member(const std::string& name, const std::string& value) {
    return Key(name).String(value);
  }
  JsonWriter& Member(const std::string& name, const char* value) { return Key(name).String(value); }
  JsonWriter& Member(const std::string& name, int64_t value) { return Key(name).Number(value); }
  JsonWriter& Member(const std::string& name, int value) { return Key(name).Number(value); }
  JsonWriter& Member(const std::string& name, bool value) { return Key(name).Bool(value); }
  JsonWriter& Member(const std::string& name, const std::vector<std::string>& values);
  // A text, or null when it is empty (a serial number the device has not).
  JsonWriter& MemberOrNull(const std::string& name, const std::string& value) {
    return value.empty() ? Key(name).Null() : Member(name, value);
  }

  // The text of what was written so far.
  std::string text() const;
  // True once every object and array begun has ended.
  bool complete() const { return open_.empty() && started_; }

 private:
  using Json = nlohmann::ordered_json;
  // Puts `value` where the next value goes; returns it there.
  Json& Add(Json value);

  Json root_;
  std::vector<Json*> open_;  // the containers begun and not ended, outermost first
  std::string key_;
  bool started_ = false;
};

// `text` (8-bit) as a JSON string, quotes included.
std::string JsonQuoted(const std::string& text);
