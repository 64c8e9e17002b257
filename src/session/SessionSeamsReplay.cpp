// SessionSeams when it replays, apart from recording (SessionSeams.cpp): a
// program that only records links neither the reader nor the replayer.
#include "session/SessionReader.h"
#include "session/SessionReplayer.h"
#include "session/SessionSeams.h"

bool SessionSeams::Replay(const std::string& file, Seams* seams, std::string* error) {
  Session session;
  const SessionLoad load = LoadSession(file, &session);
  if (!load.ok) {
    *error = load.error;
    return false;
  }
  replayer_ = {new SessionReplayer(std::move(session)),
               [](SessionReplayer* replayer) { delete replayer; }};
  seams->scsi = replayer_.get();
  seams->disks = replayer_.get();
  seams->volumes = replayer_.get();
  return true;
}

std::string SessionSeams::Verdict() const {
  if (!replayer_) return "";
  return replayer_->diverged() ? replayer_->divergence() : replayer_->LeftOver();
}
