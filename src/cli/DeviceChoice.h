#pragma once
// Which enclosure a command works on. Without --device: the one TBR640 among
// the candidates. With --device: the candidate of that path (as shown, or as
// the device commands take it) or with that mount point or drive letter,
// whatever its family.

#include <string>
#include <vector>

#include "cli/Candidates.h"

enum class ChoiceOutcome {
  kChosen,
  kNoTbr640,  // no --device and no TBR640 among the candidates
  kSeveral,   // no --device and more than one TBR640
  kNotFound,  // --device names none of the candidates
};

struct DeviceChoice {
  ChoiceOutcome outcome = ChoiceOutcome::kNoTbr640;
  const Candidate* device = nullptr;      // when chosen
  std::vector<const Candidate*> tbr640s;  // every TBR640 among the candidates
};

// `wanted`: the --device argument as Host::ResolveUserPath gave it; empty
// when none was given.
DeviceChoice ChooseDevice(const std::vector<Candidate>& candidates, const std::string& wanted);
