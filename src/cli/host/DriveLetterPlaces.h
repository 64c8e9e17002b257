#pragma once
// The places of a disk on a machine with drive letters: "E:" for each letter
// whose volume lies on it.

#include <string>
#include <vector>

std::vector<std::string> DriveLetterPlaces(const std::string& path);
