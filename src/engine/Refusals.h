#pragma once
// Why an enclosure is turned away, one row per reason, for every front end:
// the name JSON carries, the window's own second-line text ("" where the
// window shows none) and the words that say what it means. tq214's sentence
// follows from them.

#include <string>

#include "IDEAccess/ChipIdentification.h"
#include "engine/DeviceReading.h"

struct Refusal {
  const char* name;        // "internal-code"
  const char* windowText;  // "NOT support internal code!!", or ""
  const char* words;       // "the bridge runs its internal code, which ...", or ""
};

// The refusal of a device-information run that ended at `outcome`; kRead
// has none (every member "").
const Refusal& RefusalFor(ReadingOutcome outcome);

// A build that carries the stand-in image, asked to write a real enclosure.
extern const Refusal kStandInRefusal;
// Another program, or another update of this one, is writing the enclosure.
extern const Refusal kEnclosureBusyRefusal;
// A chip that runs a later firmware than this tool carries (tq214 only: the
// window's up-to-date test is its own).
extern const Refusal kNewerFirmwareRefusal;

// In one sentence: the window's text with the words after it in brackets,
// or the words alone (also where they only repeat the window's text). For a bridge of another
// family, `chipCode` names it; for newer firmware, `version` (four bytes) is the chip's.
std::string RefusalSentence(const Refusal& refusal, ChipCode chipCode = 0,
                            const uint8_t* version = nullptr);
