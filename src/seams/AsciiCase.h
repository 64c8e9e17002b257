#pragma once
// Letter case as paths and answers are compared: the letters A-Z and a-z
// only. Other bytes (a code page's accented letters) stay as they are, and
// the result does not depend on the locale.

#include <string>
#include <string_view>

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// In place, up to the terminating NUL.
void AsciiLowerInPlace(char* text);
std::string AsciiLower(std::string text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
