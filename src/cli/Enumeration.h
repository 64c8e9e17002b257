#pragma once
// A list in words: "a", "a and b", "a, b and c".

#include <string>
#include <vector>

std::string Enumeration(const std::vector<std::string>& items);
