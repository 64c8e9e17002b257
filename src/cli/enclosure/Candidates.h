#pragma once
// The disks behind a bridge, found as the window finds them: the shared
// discovery (USB mass storage, UAS and IEEE 1394 disks that answer the
// bridge's probe), each path lower-cased, its INQUIRY identification and its
// chip identified.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "IDEAccess/ChipIdentification.h"
#include "IDEAccess/DeviceSpan.h"
#include "cli/host/Host.h"
#include "seams/SystemGuards.h"

struct Candidate {
  std::string path;            // as device commands take it
  std::string shown;           // as the user sees and names it
  std::string bus;             // "USB", "UASP", "1394" or kUnknownBus
  std::string identification;  // INQUIRY vendor and product, trailing blanks cut
  std::string serial;          // the enclosure's USB serial number; "" when none
  std::string port;            // the USB port it is plugged into (Host::PortOf)
  ChipCode code = 0;           // family code 0: no recognised bridge
  std::vector<std::string> places;
  // What its lock came to before its probe. Busy (another program is writing
  // it) or refused (no safe place for it: `problem` says why): it was sent no
  // command, so its identification and chip are not known.
  LockStanding lock = {LockOutcome::kTaken, ""};
  // The handle its probe opened, before anything was read of it: its
  // examination and its update go through it for as long as it is kept, and
  // reach the unit that was probed or none. Null when it was sent nothing.
  std::shared_ptr<DeviceSpan> span;
};

// What tq214 shows in place of what an enclosure another program is writing
// would tell.
constexpr char kBeingUpdatedText[] = "being updated by another program";
// Why an enclosure is left alone when the handle of its probe no longer
// reaches it: unplugged, or another unit took its name.
constexpr char kEnclosureChangedText[] = "the enclosure changed since it was examined";
// In place of the identity of a disk whose lock a reader could not hold.
constexpr char kNotProbedText[] = "not probed without its lock";

// How a run treats a disk's lock before it sends the disk a command.
enum class LockUse : uint8_t {
  kTest,  // list, info, watch: one whose lock another holds gets no command
  kTake,  // update: every command goes under the disk's lock, taken around it
};

// The bus by the window's rule: a path with "sbp2" is on IEEE 1394, else one
// with "scsi" on UAS, else on USB mass storage.
const char* BusLabel(const std::string& path);

std::vector<Candidate> FindCandidates(Host& host, LockUse use = LockUse::kTest);
// A disk at `path` (lower-cased) by what the system says of it: its names,
// serial number and places; nothing is sent to it.
Candidate NamesOf(Host& host, const std::string& path);
// One disk found by discovery (at `path` as the system spells it), looked at
// as FindCandidates looks at each.
Candidate LookAt(Host& host, const std::string& path);
// What is known of a disk without a command: its path, bus, serial number
// and places; busy.
Candidate BusyCandidate(Host& host, const std::string& path);

// A disk named by a raw device path, which the interface list may miss,
// probed as a listed disk is: the discovery's bridge probe, then the
// candidate's own (reads only). Nothing when it does not answer the bridge.
std::optional<Candidate> ProbeRawPath(Host& host, const std::string& path,
                                      LockUse use = LockUse::kTest);

// The bus of a disk named by a raw device path, which does not say it.
constexpr char kUnknownBus[] = "unknown";

bool IsTbr640(const Candidate& candidate);
// The first candidate whose lock had no safe place; null when none.
const Candidate* FirstLockProblem(const std::vector<Candidate>& candidates);
// A TBR640, or what may be one: an enclosure another program is writing.
bool MayBeTbr640(const Candidate& candidate);
