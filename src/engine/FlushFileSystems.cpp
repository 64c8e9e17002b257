#include "engine/FlushFileSystems.h"

#include "seams/Seams.h"

std::vector<FlushFailure> FlushFileSystems(const std::vector<std::string>& places) {
  std::vector<FlushFailure> failures;
  for (const std::string& place : places) {
    const uint32_t error = ActiveVolumes().FlushVolume(place.c_str());
    if (error != 0) failures.push_back({place, error});
  }
  return failures;
}

std::vector<std::string> LetterPlaces(const char* letters) {
  std::vector<std::string> places;
  for (const char* letter = letters; *letter != '\0'; ++letter) {
    places.push_back(std::string(1, *letter) + ":");
  }
  return places;
}

std::string JoinFailedPlaces(const std::vector<FlushFailure>& failures) {
  std::string joined;
  for (const FlushFailure& failure : failures) {
    joined += (joined.empty() ? "" : ", ") + failure.place;
  }
  return joined;
}
