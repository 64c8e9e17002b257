#include "cli/Candidates.h"

#include <algorithm>
#include <cstring>

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

void LowerCase(std::string& text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
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

std::vector<Candidate> FindCandidates(Host& host) {
  char buffers[kPathTableEntries][kPathBufferSize] = {};
  char* paths[kPathTableEntries];
  for (size_t i = 0; i < kPathTableEntries; ++i) paths[i] = buffers[i];
  const int count = EnumerateBridgeDisks(paths, 1);

  std::vector<Candidate> found;
  for (int i = 0; i < count; ++i) found.push_back(LookAt(host, paths[i]));
  return found;
}

Candidate LookAt(Host& host, const std::string& path) {
  Candidate candidate;
  candidate.path = path;
  LowerCase(candidate.path);
  candidate.shown = host.ShownPath(candidate.path);
  candidate.bus = BusLabel(candidate.path);
  candidate.identification = Identification(candidate.path.c_str());
  candidate.code = IdentifyChip(candidate.path.c_str());
  candidate.places = host.Places(candidate.path);
  return candidate;
}

bool IsTbr640(const Candidate& candidate) {
  return FamilyCodeOf(candidate.code) == kFamilyTbr640;
}
