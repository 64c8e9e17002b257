#include "cli/enclosure/CandidateReport.h"

#include "IDEAccess/ChipIdentification.h"
#include "cli/DeviceText.h"

std::string CandidateLine(const Candidate& candidate, const Host& host) {
  std::string line = candidate.shown + "  " + candidate.bus + "  \"" +
                     EscapeDeviceText(candidate.identification) + "\"  family " +
                     std::to_string(FamilyCodeOf(candidate.code));
  if (IsTbr640(candidate)) line += " (TBR640)";
  line += "  revision " + std::to_string(RevisionOf(candidate.code)) + "  " + host.placesLabel();
  if (candidate.places.empty()) return line + " -";
  for (size_t i = 0; i < candidate.places.size(); ++i) {
    // A mount point may carry a file system's label, which the disk chose.
    line += (i == 0 ? " " : ", ") + EscapeDeviceText(candidate.places[i]);
  }
  return line;
}

void WriteCandidate(JsonWriter& json, const Candidate& candidate, const Host& host) {
  json.BeginObject()
      .Member("path", candidate.shown)
      .Member("bus", candidate.bus)
      .Member("identification", candidate.identification)
      .Member("familyCode", static_cast<int>(FamilyCodeOf(candidate.code)))
      .Member("revision", static_cast<int>(RevisionOf(candidate.code)))
      .Member("tbr640", IsTbr640(candidate))
      .Member(host.placesKey(), candidate.places)
      .EndObject();
}
