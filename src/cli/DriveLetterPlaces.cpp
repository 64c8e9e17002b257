#include "cli/DriveLetterPlaces.h"

#include "IDEAccess/DriveLetters.h"

std::vector<std::string> DriveLetterPlaces(const std::string& path) {
  char letters[kDriveLettersSize] = {};
  FindDriveLetters(path.c_str(), letters);
  std::vector<std::string> places;
  for (const char* letter = letters; *letter != '\0'; ++letter) {
    places.push_back(std::string(1, *letter) + ":");
  }
  return places;
}
