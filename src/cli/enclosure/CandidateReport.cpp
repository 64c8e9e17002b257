#include "cli/enclosure/CandidateReport.h"

#include "IDEAccess/ChipIdentification.h"
#include "cli/text/DeviceText.h"

namespace {

// A path this short is what a person reads and types (/dev/sdb); a Windows
// interface path is not.
constexpr size_t kShortPath = 24;

}  // namespace

std::string SerialText(const std::string& serial) {
  return serial.empty() ? "no serial" : "#" + EscapeDeviceText(serial);
}

std::string UnitName(const std::string& shown, const std::vector<std::string>& places,
                     const std::string& serial) {
  std::string name;
  for (const std::string& place : places)
    name += (name.empty() ? "" : ",") + EscapeDeviceText(place);
  if (name.empty() && shown.size() <= kShortPath) name = shown;
  return name.empty() ? SerialText(serial) : name + "  " + SerialText(serial);
}

std::string CandidateLine(const Candidate& candidate, const Host& host) {
  std::string line = candidate.shown + "  " + candidate.bus + "  " + SerialText(candidate.serial);
  if (!candidate.lock.taken()) {
    line += std::string("  ") + (candidate.lock.busy() ? kBeingUpdatedText : kNotProbedText);
  } else {
    line += "  \"" + EscapeDeviceText(candidate.identification) + "\"  family " +
            std::to_string(FamilyCodeOf(candidate.code));
    if (IsTbr640(candidate)) line += " (TBR640)";
    line += "  revision " + std::to_string(RevisionOf(candidate.code));
  }
  line += std::string("  ") + host.placesLabel();
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
      .MemberOrNull("serial", candidate.serial);
  if (!candidate.lock.taken()) {
    // Nothing was asked of it.
    json.Member("state", candidate.lock.busy() ? kBeingUpdatedText : kNotProbedText);
    for (const char* unknown : {"identification", "familyCode", "revision", "tbr640"}) {
      json.Key(unknown).Null();
    }
  } else {
    json.Member("identification", candidate.identification)
        .Member("familyCode", static_cast<int>(FamilyCodeOf(candidate.code)))
        .Member("revision", static_cast<int>(RevisionOf(candidate.code)))
        .Member("tbr640", IsTbr640(candidate));
  }
  json.Member(host.placesKey(), candidate.places).EndObject();
}
