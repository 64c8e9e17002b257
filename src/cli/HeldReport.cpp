#include "cli/HeldReport.h"

#include "cli/Enumeration.h"

void ReportHeld(CliSession& session, const std::vector<std::string>& held) {
  session.json.Key("heldRequests").BeginArray();
  for (const std::string& name : held) session.json.String(name);
  session.json.EndArray();
  if (held.empty()) return;
  session.Note(Enumeration(held) + (held.size() == 1 ? " was" : " were") +
               " held while the update ran; it ran to its end");
}
