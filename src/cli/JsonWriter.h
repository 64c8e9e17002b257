#pragma once
// A small JSON writer for tq214's --json output: objects, arrays, strings,
// integers and booleans, written compactly as they come. Texts from the
// device are 8-bit; each byte above 0x7F is written as the character of the
// same number (\u0080 to \u00FF), so the output is plain ASCII and always
// valid whatever the device holds.

#include <cstdint>
#include <string>
#include <vector>

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the object being written.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& value);
  JsonWriter& Number(int64_t value);
  JsonWriter& Bool(bool value);

  // Shorthands for one member.
  JsonWriter& Member(const std::string& name, const std::string& value) {
    return Key(name).String(value);
  }
  JsonWriter& Member(const std::string& name, const char* value) { return Key(name).String(value); }
  JsonWriter& Member(const std::string& name, int64_t value) { return Key(name).Number(value); }
  JsonWriter& Member(const std::string& name, int value) { return Key(name).Number(value); }
  JsonWriter& Member(const std::string& name, bool value) { return Key(name).Bool(value); }
  JsonWriter& Member(const std::string& name, const std::vector<std::string>& values);

  const std::string& text() const { return text_; }
  // True once every object and array begun has ended.
  bool complete() const { return open_.empty() && !text_.empty(); }

 private:
  void BeforeValue();
  std::string text_;
  std::vector<bool> open_;  // per open container: whether it has a member yet
  bool afterKey_ = false;
};

// `text` as a JSON string, quotes included.
std::string JsonQuoted(const std::string& text);
