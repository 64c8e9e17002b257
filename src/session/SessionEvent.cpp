#include "session/SessionEvent.h"

namespace {

constexpr size_t kLengthBytes = 4;

}  // namespace

std::vector<std::string> AnswerTexts::Places() const {
  std::vector<std::string> places;
  size_t at = 0;
  while (at + kLengthBytes <= places_.size()) {
    size_t length = 0;
    for (size_t i = 0; i < kLengthBytes; ++i) {
      length |= size_t{static_cast<uint8_t>(places_[at + i])} << (8 * i);
    }
    at += kLengthBytes;
    places.push_back(places_.substr(at, length));
    at += length;
  }
  return places;
}

void AnswerTexts::SetPlaces(const std::vector<std::string>& places) {
  places_.clear();
  for (const std::string& place : places) {
    for (size_t i = 0; i < kLengthBytes; ++i) {
      places_ += static_cast<char>((place.size() >> (8 * i)) & 0xFF);
    }
    places_ += place;
  }
  places_.shrink_to_fit();
}
