#pragma once
// What info and update do first: find the candidates, choose the enclosure,
// and read it as the window's device-information run does (same commands,
// same refusals, same lines).

#include <memory>
#include <vector>

#include "cli/CommandRun.h"
#include "cli/enclosure/Candidates.h"
#include "engine/DeviceReading.h"
#include "engine/FirmwareVersion.h"
#include "engine/IdentityLines.h"

struct ChosenEnclosure {
  std::vector<Candidate> candidates;
  const Candidate* device = nullptr;  // into candidates
  DeviceReading reading;
  IdentityLines lines;
  Verdict verdict = Verdict::kUpdateNeeded;
  // Why the chosen device was turned away by its reading; "" when it was not.
  std::string refusal;
  // Turned away for what it is (its reading failed, not a TBR640, access
  // refused), not for the moment (busy, changed); the chip information read.
  bool forbidden = false;
  bool chipInfoRead = false;
  // The chosen enclosure's lock, taken before its reading: exclusive
  // (LockUse::kTake) until its update has ended, shared (kTest) until the
  // reader is done with it.
  std::unique_ptr<SystemGuard> lock;
  // The four version bytes of the chip information.
  const uint8_t* version() const { return reading.chipInfo.data() + kChipInfoVersion; }
};

// Chooses and reads the enclosure, shows the device (text: a "Device:" line;
// JSON: the "device" member) and returns kExitSuccess; or reports why it
// cannot and returns the exit code (with `refusal` set when a device was
// chosen and its reading turned it away). An enclosure that another program
// is writing is sent no command and turned away; with kTake, so is every
// enclosure when a lock has no safe place.
int ChooseAndRead(CommandRun& run, ChosenEnclosure* enclosure, LockUse use = LockUse::kTest);

// The five lines (text) or "lines" and the decoded fields (JSON).
void ShowIdentity(CommandRun& run, const ChosenEnclosure& enclosure);
