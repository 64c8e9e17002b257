#include "cli/update/HeldReport.h"

#include "cli/text/Enumeration.h"

void ReportHeld(CommandRun& run, const std::vector<std::string>& held) {
  run.json.Key("heldRequests").BeginArray();
  for (const std::string& name : held) run.json.String(name);
  run.json.EndArray();
  if (held.empty()) return;
  run.Note(Enumeration(held) + (held.size() == 1 ? " was" : " were") +
           " held while the update ran; it ran to its end");
}
