#pragma once
// The members of one JSON object whose values are texts, whole numbers,
// true, false or null: the shape of every history line. A long history is
// read line by line, and most of its time went into building a general JSON
// tree for each; the reader here takes the common lines directly and leaves
// everything else (escaped characters beyond the simple ones, bytes outside
// printable ASCII, nested values, signs, fractions, repeated names) to the
// general parser, so that both give the same members for any line.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct FlatValue {
  enum class Kind { kText, kWhole, kTrue, kFalse, kNull, kOther };
  Kind kind = Kind::kNull;
  std::string text;    // kText
  uint64_t whole = 0;  // kWhole: a number without sign, fraction or exponent

  bool operator==(const FlatValue& other) const {
    return kind == other.kind && text == other.text && whole == other.whole;
  }
};

// Each name once.
using FlatMembers = std::vector<std::pair<std::string, FlatValue>>;

// True when `line` is an object this reader takes on its own, its members
// in `members`; false when the general parser must decide (the line may
// still be a valid object).
bool ReadFlatObject(std::string_view line, FlatMembers* members);

// An object's members as the general parser read them: a value other than
// a text, a whole number, true, false or null is kOther.
FlatMembers FlatMembersOf(const nlohmann::json& object);

// Writes one such object as the command-line JSON writer does (the same
// text, character for character), without building a tree first.
class FlatObjectWriter {
 public:
  FlatObjectWriter& Member(const char* name, const std::string& value);
  FlatObjectWriter& Member(const char* name, int64_t value);
  FlatObjectWriter& Member(const char* name, bool value);
  FlatObjectWriter& Member(const char* name, const char* value) = delete;  // not a bool
  // A text, or null when it is empty.
  FlatObjectWriter& MemberOrNull(const char* name, const std::string& value);

  std::string text() const { return text_ + "}"; }

 private:
  void Name(const char* name);

  std::string text_ = "{";
};
