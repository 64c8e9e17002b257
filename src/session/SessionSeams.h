#pragma once
// A program's seams when it records its session or replays one: the window
// programs use this around the seams they would install anyway.

#include <memory>
#include <string>
#include <vector>

#include "seams/Seams.h"
#include "session/Recorders.h"
#include "session/SessionReplayer.h"
#include "session/SessionWriter.h"

class SessionSeams {
 public:
  // Records what `seams` answer into `file`; on success `seams` are the
  // recording ones. False, with the reason in `error`, when the file cannot
  // be written.
  bool Record(const std::string& file, const std::string& program,
              const std::vector<std::string>& arguments, Seams* seams, std::string* error);
  // The session in `file` stands behind the device, the disk interfaces and
  // the volumes of `seams`. False, with the reader's one line, for a file that
  // is not a session.
  bool Replay(const std::string& file, Seams* seams, std::string* error);

  SessionReplayer* replayer() { return replayer_.get(); }
  // After a replayed run: the line that says where it left the session (a
  // difference, or commands left over), or "" when it followed it to the end.
  std::string Verdict() const;

 private:
  SessionWriter writer_;
  std::unique_ptr<RecordedSeams> recorded_;
  std::unique_ptr<SessionReplayer> replayer_;
};
