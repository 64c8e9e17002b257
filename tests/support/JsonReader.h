#pragma once
// A strict reader of JSON text, for checking what a program wrote: one value
// and nothing after it but blanks; no trailing commas, no leading zeros, no
// raw control characters in strings, no duplicate member names. \u escapes
// below 0x100 give the byte of that number, as the tool writes 8-bit text.

#include <algorithm>
#include <cctype>
#include <cstdlib>
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
    const auto found = std::find_if(members.begin(), members.end(),
                                    [&name](const auto& member) { return member.first == name; });
    return found == members.end() ? nullptr : &found->second;
  }
  // The member, or a null value when there is none.
  const JsonValue& operator[](const std::string& name) const {
    static const JsonValue kMissing = JsonValue();
    const JsonValue* found = Find(name);
    return found ? *found : kMissing;
  }
  bool IsString(const std::string& text) const { return type == Type::kString && string == text; }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  bool Read(JsonValue* out) {
    SkipBlanks();
    if (!Value(out, 0)) return false;
    SkipBlanks();
    return pos_ == text_.size();
  }

 private:
  static constexpr int kMaxDepth = 32;

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const std::string w(word);
    if (text_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }

  bool Value(JsonValue* out, int depth) {
    if (depth > kMaxDepth || pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '{') return Object(out, depth);
    if (c == '[') return Array(out, depth);
    if (c == '"') {
      out->type = JsonValue::Type::kString;
      return String(&out->string);
    }
    if (Word("true") || Word("false")) {
      out->type = JsonValue::Type::kBool;
      out->boolean = c == 't';
      return true;
    }
    if (Word("null")) {
      out->type = JsonValue::Type::kNull;
      return true;
    }
    return Number(out);
  }

  bool Digits() {
    const size_t start = pos_;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    return pos_ > start;
  }

  bool Number(JsonValue* out) {
    const size_t start = pos_;
    Take('-');
    if (Take('0')) {
      if (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
        return false;
      }
    } else if (!Digits()) {
      return false;
    }
    if (Take('.') && !Digits()) return false;
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return false;
    }
    out->type = JsonValue::Type::kNumber;
    out->number = std::strtod(text_.substr(start, pos_ - start).c_str(), nullptr);
    return true;
  }

  bool Hex4(unsigned* value) {
    if (pos_ + 4 > text_.size()) return false;
    *value = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[pos_++];
      if (!std::isxdigit(static_cast<unsigned char>(h))) return false;
      *value = *value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(h))
                                                       ? h - '0'
                                                       : std::tolower(h) - 'a' + 10);
    }
    return true;
  }

  bool Escape(std::string* out) {
    if (pos_ >= text_.size()) return false;
    const char e = text_[pos_++];
    switch (e) {
      case '"':
        *out += '"';
        return true;
      case '\\':
        *out += '\\';
        return true;
      case '/':
        *out += '/';
        return true;
      case 'b':
        *out += '\b';
        return true;
      case 'f':
        *out += '\f';
        return true;
      case 'n':
        *out += '\n';
        return true;
      case 'r':
        *out += '\r';
        return true;
      case 't':
        *out += '\t';
        return true;
      case 'u': {
        unsigned value = 0;
        if (!Hex4(&value)) return false;
        if (value < 0x100) {
          *out += static_cast<char>(value);
        } else if (value < 0x800) {
          *out += static_cast<char>(0xC0 | (value >> 6));
          *out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
          *out += static_cast<char>(0xE0 | (value >> 12));
          *out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
          *out += static_cast<char>(0x80 | (value & 0x3F));
        }
        return true;
      }
      default:
        return false;
    }
  }

  bool String(std::string* out) {
    if (!Take('"')) return false;
    out->clear();
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        *out += c;
      } else if (!Escape(out)) {
        return false;
      }
    }
    return false;
  }

  bool Array(JsonValue* out, int depth) {
    out->type = JsonValue::Type::kArray;
    Take('[');
    SkipBlanks();
    if (Take(']')) return true;
    for (;;) {
      SkipBlanks();
      JsonValue item;
      if (!Value(&item, depth + 1)) return false;
      out->items.push_back(std::move(item));
      SkipBlanks();
      if (Take(']')) return true;
      if (!Take(',')) return false;
    }
  }

  bool Object(JsonValue* out, int depth) {
    out->type = JsonValue::Type::kObject;
    Take('{');
    SkipBlanks();
    if (Take('}')) return true;
    for (;;) {
      SkipBlanks();
      std::string name;
      if (!String(&name) || out->Has(name)) return false;
      SkipBlanks();
      if (!Take(':')) return false;
      SkipBlanks();
      JsonValue value;
      if (!Value(&value, depth + 1)) return false;
      out->members.emplace_back(std::move(name), std::move(value));
      SkipBlanks();
      if (Take('}')) return true;
      if (!Take(',')) return false;
    }
  }

  const std::string& text_;
  size_t pos_ = 0;
};

// True when `text` is exactly one JSON value (blanks around it allowed).
inline bool ParseJson(const std::string& text, JsonValue* out) {
  *out = JsonValue();
  return JsonReader(text).Read(out);
}
