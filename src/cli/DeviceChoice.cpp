#include "cli/DeviceChoice.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool Names(const Candidate& candidate, const std::string& wanted) {
  if (SameIgnoringCase(wanted, candidate.shown) || SameIgnoringCase(wanted, candidate.path)) {
    return true;
  }
  return std::any_of(
      candidate.places.begin(), candidate.places.end(),
      [&wanted](const std::string& place) { return SameIgnoringCase(wanted, place); });
}

}  // namespace

DeviceChoice ChooseDevice(const std::vector<Candidate>& candidates, const std::string& wanted) {
  DeviceChoice choice;
  for (const Candidate& candidate : candidates) {
    if (IsTbr640(candidate)) choice.tbr640s.push_back(&candidate);
  }
  if (!wanted.empty()) {
    const auto named = std::find_if(candidates.begin(), candidates.end(),
                                    [&wanted](const Candidate& c) { return Names(c, wanted); });
    if (named == candidates.end()) {
      choice.outcome = ChoiceOutcome::kNotFound;
    } else {
      choice.outcome = ChoiceOutcome::kChosen;
      choice.device = &*named;
    }
    return choice;
  }
  if (choice.tbr640s.size() == 1) {
    choice.outcome = ChoiceOutcome::kChosen;
    choice.device = choice.tbr640s.front();
  } else {
    choice.outcome = choice.tbr640s.empty() ? ChoiceOutcome::kNoTbr640 : ChoiceOutcome::kSeveral;
  }
  return choice;
}
