#include "session/SessionSeams.h"

#include "session/SessionReader.h"

bool SessionSeams::Record(const std::string& file, const std::string& program,
                          const std::vector<std::string>& arguments, Seams* seams,
                          std::string* error) {
  if (!writer_.Open(file, MakeHeader(program, arguments, "driveLetters"), error)) return false;
  recorded_ = std::make_unique<RecordedSeams>(*seams, writer_);
  *seams = recorded_->seams();
  return true;
}

bool SessionSeams::Replay(const std::string& file, Seams* seams, std::string* error) {
  Session session;
  const SessionLoad load = LoadSession(file, &session);
  if (!load.ok) {
    *error = load.error;
    return false;
  }
  replayer_ = std::make_unique<SessionReplayer>(std::move(session));
  seams->scsi = replayer_.get();
  seams->disks = replayer_.get();
  seams->volumes = replayer_.get();
  return true;
}

std::string SessionSeams::Verdict() const {
  if (!replayer_) return "";
  return replayer_->diverged() ? replayer_->divergence() : replayer_->LeftOver();
}
