#pragma once
// Reads what a program wrote as JSON, through the JSON library, into a plain
// value the tests look into. Strict: one value and nothing after it but
// blanks, and no object naming a member twice (the library alone would take
// one of them). \u escapes below 0x100 give the byte of that number, as the
// tool writes 8-bit text.

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  double number = 0;
  std::string string;
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  bool Has(const std::string& name) const { return Find(name) != nullptr; }
  const JsonValue* Find(const std::string& name) const {
    for (const auto& member : members) {
      if (member.first == name) return &member.second;
    }
    return nullptr;
  }
  // The member, or a null value when there is none.
  const JsonValue& operator[](const std::string& name) const {
    static const JsonValue kMissing = JsonValue();
    const JsonValue* found = Find(name);
    return found ? *found : kMissing;
  }
  bool IsString(const std::string& text) const { return type == Type::kString && string == text; }
};

namespace json_reader {

using Json = nlohmann::ordered_json;

// UTF-8 back to 8-bit text; false for a character above U+00FF.
inline bool Latin1Of(const std::string& utf8, std::string* text) {
  text->clear();
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      *text += utf8[i];
    } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size()) {
      *text += static_cast<char>(((byte & 0x03) << 6) | (utf8[++i] & 0x3F));
    } else {
      return false;
    }
  }
  return true;
}

inline bool Convert(const Json& json, JsonValue* out) {
  switch (json.type()) {
    case Json::value_t::null:
      out->type = JsonValue::Type::kNull;
      return true;
    case Json::value_t::boolean:
      out->type = JsonValue::Type::kBool;
      out->boolean = json.get<bool>();
      return true;
    case Json::value_t::string:
      out->type = JsonValue::Type::kString;
      return Latin1Of(json.get<std::string>(), &out->string);
    case Json::value_t::array:
      out->type = JsonValue::Type::kArray;
      for (const Json& item : json) {
        out->items.emplace_back();
        if (!Convert(item, &out->items.back())) return false;
      }
      return true;
    case Json::value_t::object:
      out->type = JsonValue::Type::kObject;
      for (const auto& member : json.items()) {
        out->members.emplace_back(member.key(), JsonValue());
        if (!Convert(member.value(), &out->members.back().second)) return false;
      }
      return true;
    default:
      out->type = JsonValue::Type::kNumber;
      out->number = json.get<double>();
      return true;
  }
}

}  // namespace json_reader

// True when `text` is exactly one JSON value (blanks around it allowed).
inline bool ParseJson(const std::string& text, JsonValue* out) {
  using json_reader::Json;
  *out = JsonValue();
  // Member names seen so far, per object being read.
  std::vector<std::set<std::string>> names;
  bool twice = false;
  const Json::parser_callback_t watch = [&](int, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::object_start) names.emplace_back();
    if (event == Json::parse_event_t::object_end) names.pop_back();
    if (event == Json::parse_event_t::key &&
        !names.back().insert(parsed.get<std::string>()).second) {
      twice = true;
    }
    return true;
  };
  const Json json = Json::parse(text, watch, false);
  return !json.is_discarded() && !twice && json_reader::Convert(json, out);
}
