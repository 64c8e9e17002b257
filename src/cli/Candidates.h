#pragma once
// The disks behind a bridge, found as the window finds them: the shared
// discovery (USB mass storage, UAS and IEEE 1394 disks that answer the
// bridge's probe), each path lower-cased, its INQUIRY identification and its
// chip identified.

#include <string>
#include <vector>

#include "IDEAccess/ChipIdentification.h"
#include "cli/Host.h"

struct Candidate {
  std::string path;            // as device commands take it
  std::string shown;           // as the user sees and names it
  std::string bus;             // "USB", "UASP" or "1394"
  std::string identification;  // INQUIRY vendor and product, trailing blanks cut
  ChipCode code = 0;           // family code 0: no recognised bridge
  std::vector<std::string> places;
};

// The bus by the window's rule: a path with "sbp2" is on IEEE 1394, else one
// with "scsi" on UAS, else on USB mass storage.
const char* BusLabel(const std::string& path);

std::vector<Candidate> FindCandidates(Host& host);
// One disk found by discovery (at `path` as the system spells it), looked at
// as FindCandidates looks at each.
Candidate LookAt(Host& host, const std::string& path);

bool IsTbr640(const Candidate& candidate);
