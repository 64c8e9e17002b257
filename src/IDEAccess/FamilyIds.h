#pragma once
// The chip vendor's bridge family ids as this tool knows them.
//
// FamilyIdTable: 38 rows of 50 bytes, indexed by family code. Row 0 is all
// zero; rows 1 to 37 hold a 3-character id followed by zeros. Some rows repeat
// a lower row's id, so a lookup (lowest row first) never returns them:
//   rows 4, 33 repeat row 3;  rows 10, 23, 24, 26, 27 repeat row 9;
//   row 21 repeats row 11;    rows 22, 25 repeat row 7;
//   rows 32, 35 repeat row 5; row 36 repeats row 1; row 37 repeats row 2.
// Rows 14 and 19 are three decimal digits (a chip can report them in binary-
// coded decimal); row 19 is the TBR640 family.

#include <cstddef>
#include <cstdint>

constexpr size_t kFamilyRows = 38;
constexpr size_t kFamilyRowSize = 50;
constexpr size_t kFamilyIdLength = 3;

extern const char FamilyIdTable[kFamilyRows][kFamilyRowSize];

// Every chip id string begins with this character, and a bridge of the vendor
// puts it into byte 36 of its INQUIRY data.
constexpr char kMarkerCharacter = 'K';

// The code-9 id: the marker followed by three characters that are no row's id.
extern const char kCode9Id[5];

constexpr uint8_t kFamilyTbr640 = 19;

// The second-stage id strings: the chip's id string (the first 8 bytes of the
// ReadIdString reply) is compared with each, in this order, over the entry's
// own length; the first match gives the family code. Each is the marker, then
// the 3-character family id the chip belongs to, then (all but one) a suffix:
//   '-'  the chip puts its revision as an ASCII digit right after it (byte 5);
//   '+'  the chip puts its revision as a binary count right after it;
//   "-X" names a variant of family 3, so byte 5 belongs to the id itself.
// Family 7's string is the marker and its id alone: its chips may end the
// string there (byte 5 zero) or add '-' and a digit. No entry is a prefix of a
// later one, so every entry can be the first to match.
enum class IdRevisionRule : uint8_t {
  kDigit,       // revision := byte 5 - 47 ('0' gives 1)
  kUnchanged,   // the revision of the first stage stays
  kBinary,      // revision := byte 5 + 1
  kDigitOrOne,  // revision := 1 when byte 5 is 0, else byte 5 - 47
};

constexpr size_t kSecondStageIdCapacity = 8;  // longest entry is 6 characters

struct SecondStageId {
  char text[kSecondStageIdCapacity];
  uint8_t length;  // characters compared
  uint8_t family;  // the family code a match gives
  IdRevisionRule rule;
};

constexpr size_t kSecondStageIdCount = 7;
extern const SecondStageId kSecondStageIds[kSecondStageIdCount];
