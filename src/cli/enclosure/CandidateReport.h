#pragma once
// How a candidate disk is shown: one line of text, or one JSON object.

#include <string>

#include "cli/JsonWriter.h"
#include "cli/enclosure/Candidates.h"
#include "cli/host/Host.h"

//   /dev/sdb  USB  #0000000000000214  "Orvexa  TQ-214 Enclosure"  family 19 (TBR640)
//   revision 1  mounted at /media/x                        (one line)
//   /dev/sdb  USB  #0000000000000214  being updated by another program
//   mounted at /media/x                                    (one another writes)
std::string CandidateLine(const Candidate& candidate, const Host& host);

// "#0000000000000214", or "no serial".
std::string SerialText(const std::string& serial);

// The enclosure as a technician names it: its mount points or drive letters
// (else its path, when that is short, as /dev/sdb is) and its serial number:
// "E:  #0000000000000214". The whole path is in JSON and under --trace.
std::string UnitName(const std::string& shown, const std::vector<std::string>& places,
                     const std::string& serial);

// {"path":...,"bus":...,"serial":...|null,"identification":...,"familyCode":19,"revision":1,
//  "tbr640":true,"mountPoints"|"driveLetters":[...]}; one another program
// writes: "state":"being updated by another program", the four it would have
// told null.
void WriteCandidate(JsonWriter& json, const Candidate& candidate, const Host& host);
