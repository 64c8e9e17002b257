#pragma once
// What info and update do first: find the candidates, choose the enclosure,
// and read it as the window's device-information run does (same commands,
// same refusals, same lines).

#include <vector>

#include "Tessaloft_main/DeviceReading.h"
#include "Tessaloft_main/IdentityLines.h"
#include "cli/Candidates.h"
#include "cli/CliSession.h"

struct ReadEnclosure {
  std::vector<Candidate> candidates;
  const Candidate* device = nullptr;  // into candidates
  DeviceReading reading;
  IdentityLines lines;
};

// Chooses and reads the enclosure, shows the device (text: a "Device:" line;
// JSON: the "device" member) and returns kExitSuccess; or reports why it
// cannot and returns the exit code.
int ChooseAndRead(CliSession& session, ReadEnclosure* enclosure);

// The five lines (text) or "lines" and the decoded fields (JSON).
void ShowIdentity(CliSession& session, const ReadEnclosure& enclosure);
