#pragma once
// The system the program runs on, in words, for a session file: "Linux
// 6.1.0-57-amd64 x86_64", "Windows 10.0 build 19045". One file per platform.

#include <string>

std::string SystemDescription();
