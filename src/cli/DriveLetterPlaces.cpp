#include "cli/DriveLetterPlaces.h"

#include "IDEAccess/DriveLetters.h"
#include "Tessaloft_main/FlushFileSystems.h"

std::vector<std::string> DriveLetterPlaces(const std::string& path) {
  char letters[kDriveLettersSize] = {};
  FindDriveLetters(path.c_str(), letters);
  return LetterPlaces(letters);
}
