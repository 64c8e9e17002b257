#pragma once
// What an enclosure is found to be when `update --all` and `watch` look at it:
// read as the window reads it (when it is a TBR640), with the row the results
// table shows for it.

#include <memory>
#include <string>
#include <vector>

#include "cli/enclosure/Candidates.h"
#include "cli/enclosure/RowResult.h"
#include "engine/DeviceReading.h"
#include "engine/IdentityLines.h"

// One line of the summary.
struct ResultRow {
  std::string device;  // as shown (the whole path)
  std::string name;    // as a technician names it: "E:  #0000000000000214"
  std::string serial;  // "" when none
  std::string port;    // the USB port it was plugged into (Host::PortOf)
  std::vector<std::string> places;
  std::string firmwareBefore;  // "21.32.0.1", or "" when not read
  // What the configuration block said before, for the history ("" when not
  // read): vendor and product numbers, product text, disk text.
  std::string vid, pid, productBefore, diskBefore;
  RowResult result = RowResult::kNone;
  std::string reason;  // why FAIL or skipped
  std::string sense;   // FAIL: what the device said, when it said something
  double seconds = 0;
  bool counts = true;  // a TBR640: its result decides the exit code
  // Nothing may be written to it as it is, whichever command met it: later
  // firmware than this tool carries, a reading that failed, not a TBR640,
  // access refused (the logs file it as refused; left alone for the moment
  // is skipped).
  bool forbidden = false;
  // After PASS, when it came back from being reconnected (a watch).
  bool confirmed = false;
  std::string firmwareAfter;
};

// The row's result and its reason as one line: "skipped: being updated by
// another program"; the result alone when there is no reason.
std::string ResultLine(const ResultRow& row);

// An enclosure read as the window reads it.
struct ExaminedEnclosure {
  Candidate candidate;
  DeviceReading reading;
  IdentityLines lines;
  ResultRow row;
  bool toUpdate = false;    // a TBR640 that is not up to date, nor newer
  bool newer = false;       // a TBR640 that runs later firmware than this tool carries
  bool unreadable = false;  // a TBR640 whose reading failed midway: it may be busy still
  // ExamineUnderLock: the enclosure's lock, taken before its reading and held
  // through the question to the end of its update, on the thread that took it.
  std::shared_ptr<SystemGuard> lock;
};

// Reads `candidate` (when it is a TBR640) and says what it is; one that
// another program is writing, or whose lock could not be had, is skipped.
ExaminedEnclosure Examine(const Candidate& candidate);
// The same under the enclosure's lock, kept in the result (update --all: its
// update runs under it on another thread).
ExaminedEnclosure ExamineUnderLock(const Candidate& candidate);

// The row of `candidate`, before anything is read of it.
ResultRow RowOf(const Candidate& candidate);
// What a device-information run that read everything found: the firmware
// version and the configuration block's identity.
void TakeIdentity(ResultRow& row, const DeviceReading& reading, const IdentityLines& lines);
