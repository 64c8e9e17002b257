#include "cli/enclosure/Candidates.h"

#include <cstring>

#include "IDEAccess/AsciiCase.h"
#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/Discovery.h"
#include "IDEAccess/FamilyIds.h"

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

// A disk at `path` with its INQUIRY identification, its chip and its places.
Candidate ProbeCandidate(Host& host, const std::string& path, const char* bus) {
  Candidate candidate;
  candidate.path = path;
  candidate.shown = host.ShownPath(path);
  candidate.bus = bus;
  candidate.identification = Identification(path.c_str());
  candidate.serial = host.SerialOf(path);
  candidate.code = IdentifyChip(path.c_str());
  candidate.places = host.Places(path);
  candidate.port = host.PortOf(path);
  return candidate;
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
  return candidate;
}

std::vector<Candidate> FindCandidates(Host& host) {
  char buffers[kPathTableEntries][kPathBufferSize] = {};
  char* paths[kPathTableEntries];
  for (size_t i = 0; i < kPathTableEntries; ++i) paths[i] = buffers[i];
  const int count = EnumerateBridgeDisks(paths, 1);

  std::vector<Candidate> found;
  for (int i = 0; i < count; ++i) {
    const std::string path = AsciiLower(paths[i]);
    const char* bus = BusLabel(path);
    found.push_back(ProbeCandidate(host, path, bus));
  }
  return found;
}

std::optional<Candidate> ProbeRawPath(Host& host, const std::string& path) {
  if (!AnswersBridge(path.c_str())) return std::nullopt;
  return ProbeCandidate(host, path, kUnknownBus);
}

Candidate LookAt(Host& host, const std::string& path) {
  const std::string lower = AsciiLower(path);
  return ProbeCandidate(host, lower, BusLabel(lower));
}

bool IsTbr640(const Candidate& candidate) {
  return FamilyCodeOf(candidate.code) == kFamilyTbr640;
}
