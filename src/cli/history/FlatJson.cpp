#include "cli/history/FlatJson.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/JsonWriter.h"

namespace {

// The digits of the largest whole number taken here: below 10^19, within
// 64 bits; longer ones go to the general parser.
constexpr size_t kMaxDigits = 19;

class FlatReader {
 public:
  explicit FlatReader(std::string_view line) : at_(line.data()), end_(line.data() + line.size()) {}

  bool Object(FlatMembers* members) {
    SkipBlanks();
    if (!Take('{')) return false;
    SkipBlanks();
    if (!Take('}')) {
      do {
        SkipBlanks();
        std::pair<std::string, FlatValue> member;
        if (!Take('"') || !Text(&member.first)) return false;
        SkipBlanks();
        if (!Take(':')) return false;
        SkipBlanks();
        if (!Value(&member.second)) return false;
        // A repeated name: the general parser keeps the last.
        if (std::any_of(members->begin(), members->end(),
                        [&member](const auto& seen) { return seen.first == member.first; })) {
          return false;
        }
        members->push_back(std::move(member));
        SkipBlanks();
      } while (Take(','));
      if (!Take('}')) return false;
    }
    SkipBlanks();
    return at_ == end_;
  }

 private:
  bool Take(char wanted) {
    if (at_ == end_ || *at_ != wanted) return false;
    ++at_;
    return true;
  }

  bool TakeWord(std::string_view word) {
    if (static_cast<size_t>(end_ - at_) < word.size() ||
        std::string_view(at_, word.size()) != word) {
      return false;
    }
    at_ += word.size();
    return true;
  }

  void SkipBlanks() {
    while (at_ != end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
  }

  // What a simple escape stands for; '\0' for any other.
  static char Unescaped(char c) {
    switch (c) {
      case '"':
      case '\\':
      case '/':
        return c;
      case 'b':
        return '\b';
      case 'f':
        return '\f';
      case 'n':
        return '\n';
      case 'r':
        return '\r';
      case 't':
        return '\t';
      default:
        return '\0';
    }
  }

  // After the opening quote, to the closing one.
  bool Text(std::string* text) {
    const char* begun = at_;
    while (at_ != end_) {
      const auto byte = static_cast<unsigned char>(*at_);
      if (byte == '"') {
        text->append(begun, at_);
        ++at_;
        return true;
      }
      if (byte < 0x20 || byte >= 0x7F) return false;
      if (byte != '\\') {
        ++at_;
        continue;
      }
      text->append(begun, at_);
      if (++at_ == end_) return false;
      const char unescaped = Unescaped(*at_);
      if (unescaped == '\0') return false;  // \u and anything unknown
      text->push_back(unescaped);
      begun = ++at_;
    }
    return false;
  }

  bool Value(FlatValue* value) {
    if (Take('"')) {
      value->kind = FlatValue::Kind::kText;
      return Text(&value->text);
    }
    if (TakeWord("true")) {
      value->kind = FlatValue::Kind::kTrue;
    } else if (TakeWord("false")) {
      value->kind = FlatValue::Kind::kFalse;
    } else if (TakeWord("null")) {
      value->kind = FlatValue::Kind::kNull;
    } else {
      return Whole(value);
    }
    // What follows a value ("truex", "1.5") is the object's to judge.
    return true;
  }

  bool Whole(FlatValue* value) {
    const char* begun = at_;
    uint64_t whole = 0;
    while (at_ != end_ && *at_ >= '0' && *at_ <= '9') whole = whole * 10 + (*at_++ - '0');
    const size_t digits = static_cast<size_t>(at_ - begun);
    if (digits == 0 || digits > kMaxDigits || (digits > 1 && *begun == '0')) return false;
    value->kind = FlatValue::Kind::kWhole;
    value->whole = whole;
    return true;
  }

  const char* at_;
  const char* const end_;
};

}  // namespace

bool ReadFlatObject(std::string_view line, FlatMembers* members) {
  members->clear();
  return FlatReader(line).Object(members);
}

FlatMembers FlatMembersOf(const nlohmann::json& object) {
  FlatMembers members;
  for (const auto& item : object.items()) {
    FlatValue value;
    const nlohmann::json& found = item.value();
    if (found.is_string()) {
      value.kind = FlatValue::Kind::kText;
      value.text = found.get<std::string>();
    } else if (found.is_number_unsigned()) {
      value.kind = FlatValue::Kind::kWhole;
      value.whole = found.get<uint64_t>();
    } else if (found.is_boolean()) {
      value.kind = found.get<bool>() ? FlatValue::Kind::kTrue : FlatValue::Kind::kFalse;
    } else if (!found.is_null()) {
      value.kind = FlatValue::Kind::kOther;
    }
    members.emplace_back(item.key(), std::move(value));
  }
  return members;
}

namespace {

// The text as a JSON string: printable ASCII without quotes or backslashes
// as it is; anything else as the command-line writer quotes it.
void AppendQuoted(std::string* out, const std::string& text) {
  if (std::any_of(text.begin(), text.end(),
                  [](char c) { return c < 0x20 || c >= 0x7F || c == '"' || c == '\\'; })) {
    *out += JsonQuoted(text);
    return;
  }
  *out += '"';
  *out += text;
  *out += '"';
}

}  // namespace

void FlatObjectWriter::Name(const char* name) {
  if (text_.size() > 1) text_ += ',';
  AppendQuoted(&text_, name);
  text_ += ':';
}

FlatObjectWriter& FlatObjectWriter::Member(const char* name, const std::string& value) {
  Name(name);
  AppendQuoted(&text_, value);
  return *this;
}

FlatObjectWriter& FlatObjectWriter::Member(const char* name, int64_t value) {
  Name(name);
  text_ += std::to_string(value);
  return *this;
}

FlatObjectWriter& FlatObjectWriter::Member(const char* name, bool value) {
  Name(name);
  text_ += value ? "true" : "false";
  return *this;
}

FlatObjectWriter& FlatObjectWriter::MemberOrNull(const char* name, const std::string& value) {
  if (!value.empty()) return Member(name, value);
  Name(name);
  text_ += "null";
  return *this;
}
