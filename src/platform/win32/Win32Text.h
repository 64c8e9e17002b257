#pragma once
// Text between the program and Windows: inside, every text is UTF-8; the
// system's wide functions take and give UTF-16. Bytes that are no UTF-8, and
// UTF-16 halves without their pair, become U+FFFD.

#include <string>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
