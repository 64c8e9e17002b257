#include "seams/AsciiCase.h"

#include <algorithm>

void AsciiLowerInPlace(char* text) {
  for (; *text != '\0'; ++text) *text = AsciiLower(*text);
}

std::string AsciiLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return AsciiLower(c); });
  return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}
