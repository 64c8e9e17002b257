#pragma once
// Ready-made machines for the demo programs and `--simulate`: one name, one
// situation an operator may meet.
//
//   outdated              one TBR640, firmware 21.32.0.2, product text "USB3.0 Disk"
//   current               one TBR640 already up to date (21.32.0.3, target texts)
//   newer                 one TBR640 that runs later firmware (21.33.0.0)
//   none                  no enclosure, only the internal disk
//   two                   two outdated TBR640 enclosures
//   other-family          one enclosure with a bridge of another family
//   internal-code         a TBR640 that runs its internal code
//   nvram-fail            a TBR640 whose configuration block cannot be read
//   verify-fail           a TBR640 that reads back one byte wrong
//   write-ignored         a TBR640 that drops configuration block writes
//   unplug-during-update  a TBR640 unplugged during the 20th firmware piece
//   station               a service desk: outdated TBR640s on E: (fine), F:
//                         (unplugged during the 20th piece of its update) and
//                         G: (reads back one byte wrong), one up to date on H:,
//                         one whose configuration block cannot be read on J:,
//                         one with newer firmware on K:, and an outdated one
//                         plugged in on I: after kStationArrivalMs (its
//                         timeline)
//
// Every machine also has the internal system disk (drive C:), which no bridge
// stands in front of; enclosures carry volume E: (and F: for the second).

#include <string>
#include <vector>

#include "sim/VirtualMachine.h"

extern const char kScenarioEnclosurePath[];
extern const char kScenarioSecondEnclosurePath[];
extern const char kScenarioSystemDiskPath[];
constexpr char kDefaultScenario[] = "outdated";

const std::vector<std::string>& ScenarioNames();

// Fills an empty machine with the named situation; false for an unknown name.
bool BuildScenario(const std::string& name, VirtualMachine& machine);

// What happens to a machine over time: at `atMs` after the start, the disk at
// `path` is plugged in (again) or unplugged.
struct TimelineStep {
  uint32_t atMs = 0;
  std::string path;
  bool plug = true;
};
// The named situation's timeline; empty for machines that stay as they are.
std::vector<TimelineStep> ScenarioTimeline(const std::string& name);

constexpr uint32_t kStationArrivalMs = 400;
extern const char kStationLatePath[];
