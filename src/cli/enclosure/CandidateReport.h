#pragma once
// How a candidate disk is shown: one line of text, or one JSON object.

#include <string>

#include "cli/JsonWriter.h"
#include "cli/enclosure/Candidates.h"
#include "cli/host/Host.h"

//   /dev/sdb  USB  "Orvexa  TQ-214 Enclosure"  family 19 (TBR640)  revision 1  mounted at /media/x
std::string CandidateLine(const Candidate& candidate, const Host& host);

// {"path":...,"bus":...,"identification":...,"familyCode":19,"revision":1,"tbr640":true,
//  "mountPoints"|"driveLetters":[...]}
void WriteCandidate(JsonWriter& json, const Candidate& candidate, const Host& host);
