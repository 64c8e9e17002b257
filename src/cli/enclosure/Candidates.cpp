#include "cli/enclosure/Candidates.h"

#include <algorithm>
#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/Discovery.h"
#include "IDEAccess/FamilyIds.h"
#include "seams/AsciiCase.h"
#include "seams/Seams.h"

namespace {

// INQUIRY bytes 8-31: the vendor (8) and product (16) identification.
constexpr size_t kIdentificationOffset = 8;
constexpr size_t kIdentificationSize = 24;

std::string Identification(const char* path) {
  uint8_t inquiry[kInquiryLength] = {};
  if (!Inquiry(path, inquiry, kInquiryLength)) return "";
  const auto* text = reinterpret_cast<const char*>(inquiry + kIdentificationOffset);
  std::string id(text, strnlen(text, kIdentificationSize));
  const size_t end = id.find_last_not_of(' ');
  id.erase(end == std::string::npos ? 0 : end + 1);
  return id;
}

// A disk at `path` with its INQUIRY identification, its chip and its places,
// each command under its lock, exclusive (kTake) or shared (kTest); one whose
// lock cannot be had gets none.
Candidate ProbeCandidate(Host& host, const std::string& path, const char* bus, LockUse use) {
  Candidate candidate;
  candidate.path = path;
  candidate.shown = host.ShownPath(path);
  candidate.bus = bus;
  SystemGuards& guards = ActiveSystemGuards();
  const EnclosureLock lock = use == LockUse::kTake ? guards.LockEnclosure(path.c_str())
                                                   : guards.ShareEnclosure(path.c_str());
  candidate.lock = lock.standing();
  const bool probed = lock.taken();
  if (probed) candidate.span = std::make_shared<DeviceSpan>(path);
  if (probed) candidate.identification = Identification(path.c_str());
  candidate.serial = host.SerialOf(path);
  if (probed) candidate.code = IdentifyChip(path.c_str());
  candidate.places = host.Places(path);
  candidate.port = host.PortOf(path);
  return candidate;
}

// Discovery's gate for a run that takes locks: the disk's lock, held while
// its bridge probe runs; none (busy, or no safe place for it): no probe.
EnclosureLock UnderItsLock(const char* path) {
  return ActiveSystemGuards().LockEnclosure(path);
}

ProbeGate GateOf(LockUse use) {
  return use == LockUse::kTake ? ProbeGate(UnderItsLock) : ProbeGate(UnlessBeingWritten);
}

}  // namespace

const char* BusLabel(const std::string& path) {
  switch (BusOfPath(path.c_str())) {
    case Bus::kFirewire:
      return "1394";
    case Bus::kUas:
      return "UASP";
    default:
      return "USB";
  }
}

Candidate NamesOf(Host& host, const std::string& path) {
  Candidate candidate;
  candidate.path = path;
  candidate.shown = host.ShownPath(path);
  candidate.bus = BusLabel(path);
  candidate.serial = host.SerialOf(path);
  candidate.places = host.Places(path);
  candidate.port = host.PortOf(path);
  return candidate;
}

std::vector<Candidate> FindCandidates(Host& host, LockUse use) {
  char buffers[kPathTableEntries][kPathBufferSize] = {};
  char* paths[kPathTableEntries];
  for (size_t i = 0; i < kPathTableEntries; ++i) paths[i] = buffers[i];
  const int count = EnumerateBridgeDisks(paths, 1, GateOf(use));

  std::vector<Candidate> found;
  for (int i = 0; i < count; ++i) {
    const std::string path = AsciiLower(paths[i]);
    const char* bus = BusLabel(path);
    found.push_back(ProbeCandidate(host, path, bus, use));
  }
  return found;
}

std::optional<Candidate> ProbeRawPath(Host& host, const std::string& path, LockUse use) {
  {
    const EnclosureLock probing = GateOf(use)(path.c_str());
    if (probing.taken() && !AnswersBridge(path.c_str())) return std::nullopt;
  }
  return ProbeCandidate(host, path, kUnknownBus, use);
}

Candidate LookAt(Host& host, const std::string& path) {
  const std::string lower = AsciiLower(path);
  return ProbeCandidate(host, lower, BusLabel(lower), LockUse::kTest);
}

Candidate BusyCandidate(Host& host, const std::string& path) {
  Candidate candidate = NamesOf(host, AsciiLower(path));
  candidate.lock = BusyLock().standing();
  return candidate;
}

bool IsTbr640(const Candidate& candidate) {
  return FamilyCodeOf(candidate.code) == kFamilyTbr640;
}

const Candidate* FirstLockProblem(const std::vector<Candidate>& candidates) {
  const auto found = std::find_if(candidates.begin(), candidates.end(),
                                  [](const Candidate& c) { return c.lock.refused(); });
  return found == candidates.end() ? nullptr : &*found;
}

bool MayBeTbr640(const Candidate& candidate) {
  return IsTbr640(candidate) || candidate.lock.busy();
}
