#include "cli/host/RecordingHost.h"

RecordingHost::RecordingHost(std::unique_ptr<Host> inner, SessionWriter& writer)
    : inner_(std::move(inner)), writer_(writer), recorded_(inner_->seams(), writer) {}

std::vector<std::string> RecordingHost::Places(const std::string& path) {
  SessionEvent e;
  e.kind = EventKind::kPlaces;
  e.path = path;
  e.texts->text = inner_->ShownPath(path);
  e.texts->serial = inner_->SerialOf(path);
  std::vector<std::string> places = inner_->Places(path);
  e.texts->SetPlaces(places);
  writer_.Append(e);
  return places;
}
