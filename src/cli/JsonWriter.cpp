#include "cli/JsonWriter.h"

#include "cli/text/Utf8Text.h"

namespace {

// The text in UTF-8: what is well-formed UTF-8 (a file name, an argument)
// as it is, every other byte as the character of its number (U+0080 to
// U+00FF), as 8-bit device texts are read.
std::string AsUtf8(const std::string& text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    uint32_t code = 0;
    const size_t length = Utf8Character(text, at, &code);
    if (length > 0) {
      utf8.append(text, at, length);
      at += length;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[at++]);
    utf8 += static_cast<char>(0xC0 | (byte >> 6));
    utf8 += static_cast<char>(0x80 | (byte & 0x3F));
  }
  return utf8;
}

std::string Dumped(const nlohmann::ordered_json& json) {
  constexpr bool kAsciiOnly = true;
  return json.dump(-1, ' ', kAsciiOnly);
}

}  // namespace

std::string JsonQuoted(const std::string& text) {
  return Dumped(nlohmann::ordered_json(AsUtf8(text)));
}

JsonWriter::Json& JsonWriter::Add(Json value) {
  if (open_.empty()) {
    started_ = true;
    root_ = std::move(value);
    return root_;
  }
  Json& container = *open_.back();
  if (!container.is_object()) {
    container.push_back(std::move(value));
    return container.back();
  }
  return container[key_] = std::move(value);
}

JsonWriter& JsonWriter::BeginObject() {
  open_.push_back(&Add(Json::object()));
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  open_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  open_.push_back(&Add(Json::array()));
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  open_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(const std::string& name) {
  key_ = AsUtf8(name);
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
  Add(AsUtf8(value));
  return *this;
}

JsonWriter& JsonWriter::Number(int64_t value) {
  Add(value);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  Add(value);
  return *this;
}

JsonWriter& JsonWriter::Null() {
  Add(nullptr);
  return *this;
}

JsonWriter& JsonWriter::Member(const std::string& name, const std::vector<std::string>& values) {
  Key(name).BeginArray();
  for (const std::string& value : values) String(value);
  return EndArray();
}

std::string JsonWriter::text() const {
  return started_ ? Dumped(root_) : std::string();
}
