#pragma once
// UTF-8 in the program's texts: file names, arguments and the environment
// are UTF-8 on both systems (Windows hands them over as UTF-16, converted
// once); what a device sends is any bytes.

#include <cstddef>
#include <cstdint>
#include <string>

// The length (1 to 4) of the well-formed UTF-8 character at text[at], and
// its code point; 0 where the bytes there make none (a stray continuation
// byte, an overlong form, a surrogate, beyond U+10FFFF, cut short).
size_t Utf8Character(const std::string& text, size_t at, uint32_t* codePoint);
