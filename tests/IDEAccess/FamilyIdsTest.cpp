// The family id tables keep the structure identification relies on.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "IDEAccess/FamilyIds.h"

namespace {

std::string Row(size_t r) {
  return std::string(FamilyIdTable[r], strnlen(FamilyIdTable[r], kFamilyRowSize));
}

TEST(FamilyIdsTest, RowsRepeatExactlyAsListedAndOthersDiffer) {
  const std::pair<size_t, size_t> repeats[] = {{4, 3},  {33, 3}, {10, 9},  {23, 9}, {24, 9},
                                               {26, 9}, {27, 9}, {21, 11}, {22, 7}, {25, 7},
                                               {32, 5}, {35, 5}, {36, 1},  {37, 2}};
  std::set<size_t> repeating;
  for (const auto& [row, of] : repeats) {
    EXPECT_EQ(Row(row), Row(of)) << row;
    repeating.insert(row);
  }
  std::set<std::string> distinct;
  EXPECT_EQ(Row(0), "");
  for (size_t r = 1; r < kFamilyRows; ++r) {
    EXPECT_EQ(Row(r).size(), kFamilyIdLength) << r;
    for (size_t i = kFamilyIdLength; i < kFamilyRowSize; ++i) EXPECT_EQ(FamilyIdTable[r][i], 0);
    if (repeating.count(r) == 0) {
      EXPECT_TRUE(distinct.insert(Row(r)).second) << r;
    }
  }
  for (const size_t r : {size_t{14}, size_t{19}}) {
    for (const char c : Row(r)) EXPECT_TRUE(c >= '0' && c <= '9') << r;
  }
  EXPECT_EQ(kCode9Id[0], kMarkerCharacter);
  EXPECT_EQ(std::strlen(kCode9Id), 4u);
  EXPECT_EQ(distinct.count(kCode9Id + 1), 0u);
}

TEST(FamilyIdsTest, SecondStageStringsEachCanMatchFirst) {
  const uint8_t lengths[] = {5, 6, 5, 5, 5, 4, 5};
  const uint8_t families[] = {1, 4, 5, 32, 30, 7, 11};
  for (size_t i = 0; i < kSecondStageIdCount; ++i) {
    const SecondStageId& entry = kSecondStageIds[i];
    EXPECT_EQ(entry.text[0], kMarkerCharacter) << i;
    EXPECT_EQ(entry.length, lengths[i]) << i;
    EXPECT_EQ(strnlen(entry.text, sizeof entry.text), entry.length) << i;
    EXPECT_EQ(entry.family, families[i]) << i;
    for (size_t earlier = 0; earlier < i; ++earlier) {
      const SecondStageId& before = kSecondStageIds[earlier];
      EXPECT_FALSE(before.length <= entry.length &&
                   std::memcmp(before.text, entry.text, before.length) == 0)
          << earlier << " hides " << i;
    }
  }
}

}  // namespace
