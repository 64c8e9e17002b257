#pragma once
// A list in words: "a", "a and b", "a, b and c" (or another conjunction).

#include <string>
#include <vector>

std::string Enumeration(const std::vector<std::string>& items,
                        const std::string& conjunction = "and");
