#pragma once
// Which enclosure a command works on. Without --device: the one TBR640 among
// the candidates. With --device: the candidate of that path (as shown, or as
// the device commands take it), of that serial number, or with that mount
// point or drive letter, whatever its family; the text as written first, and
// only when it names none, as a path this machine resolves (a link to the
// node). It must name one: bridges may repeat a serial number. Where the
// machine takes them, also a raw device path that no candidate has (the
// disk-interface list can miss a disk), to be probed as the candidates were.
// An enclosure that another program is writing counts as a TBR640.

#include <functional>
#include <string>
#include <vector>

#include "cli/enclosure/Candidates.h"

enum class ChoiceOutcome {
  kChosen,
  kNoTbr640,      // no --device and no TBR640 among the candidates
  kSeveral,       // no --device and more than one TBR640
  kNotFound,      // --device names none of the candidates
  kSeveralNamed,  // --device names more than one (bridges may repeat a serial number)
  kRawPath,       // --device is a raw device path that none of the candidates has
};

struct DeviceChoice {
  ChoiceOutcome outcome = ChoiceOutcome::kNoTbr640;
  const Candidate* device = nullptr;      // when chosen
  std::vector<const Candidate*> tbr640s;  // every TBR640 among the candidates
  std::vector<const Candidate*> named;    // those --device names
};

// A Windows path that opens a disk or a volume itself: "\\.\E:" or
// "\\.\PhysicalDriveN", in any case.
bool IsRawDevicePath(const std::string& text);

// `wanted`: the --device argument; empty when none was given. `rawPaths`:
// whether the machine takes raw device paths. `resolve`: a path as this
// machine's file system resolves it (Host::ResolveUserPath).
DeviceChoice ChooseDevice(const std::vector<Candidate>& candidates, const std::string& wanted,
                          bool rawPaths = false,
                          const std::function<std::string(const std::string&)>& resolve = {});
