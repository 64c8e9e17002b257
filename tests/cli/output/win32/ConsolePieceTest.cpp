// What the console is given at once never splits a character.

#include <gtest/gtest.h>

#include <string>

#include "cli/output/win32/HandleSink.h"

namespace {

TEST(ConsolePiece, NeverEndsBetweenTheHalvesOfASurrogatePair) {
  const std::wstring pair = L"\xD83D\xDE00";  // U+1F600
  struct Case {
    std::wstring text;
    size_t at;
    size_t piece;
  };
  for (const Case& c :
       {Case{std::wstring(8191, L'a') + pair, 0, 8191},
        Case{std::wstring(8190, L'a') + pair + L"b", 0, 8192},
        Case{std::wstring(8191, L'a') + pair, 8191, 2}, Case{std::wstring(9000, L'a'), 0, 8192},
        Case{std::wstring(10, L'a'), 3, 7}}) {
    EXPECT_EQ(c.piece, ConsolePiece(c.text, c.at)) << c.text.size() << " at " << c.at;
  }
}

}  // namespace
