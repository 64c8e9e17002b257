#include "cli/host/DriveLetterPlaces.h"

#include "IDEAccess/DriveLetters.h"
#include "engine/FlushFileSystems.h"

std::vector<std::string> DriveLetterPlaces(const std::string& path) {
  char letters[kDriveLettersSize] = {};
  FindDriveLetters(path.c_str(), letters);
  return LetterPlaces(letters);
}
