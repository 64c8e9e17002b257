#pragma once
// Which enclosure a command works on. Without --device: the one TBR640 among
// the candidates. With --device: the candidate of that path (as shown, or as
// the device commands take it), of that serial number, or with that mount
// point or drive letter,
// whatever its family; where the machine takes them, also a raw device path
// that no candidate has (the disk-interface list can miss a disk), to be
// probed as the candidates were. An enclosure that another program is
// writing counts as a TBR640.

#include <string>
#include <vector>

#include "cli/enclosure/Candidates.h"

enum class ChoiceOutcome {
  kChosen,
  kNoTbr640,  // no --device and no TBR640 among the candidates
  kSeveral,   // no --device and more than one TBR640
  kNotFound,  // --device names none of the candidates
  kRawPath,   // --device is a raw device path that none of the candidates has
};

struct DeviceChoice {
  ChoiceOutcome outcome = ChoiceOutcome::kNoTbr640;
  const Candidate* device = nullptr;      // when chosen
  std::vector<const Candidate*> tbr640s;  // every TBR640 among the candidates
};

// A Windows path that opens a disk or a volume itself: "\\.\E:" or
// "\\.\PhysicalDriveN", in any case.
bool IsRawDevicePath(const std::string& text);

// `wanted`: the --device argument as Host::ResolveUserPath gave it; empty
// when none was given. `rawPaths`: whether the machine takes raw device paths.
DeviceChoice ChooseDevice(const std::vector<Candidate>& candidates, const std::string& wanted,
                          bool rawPaths = false);
