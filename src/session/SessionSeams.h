#pragma once
// A program's seams when it records its session or replays one: the window
// programs use this around the seams they would install anyway. Recording is
// in SessionSeams.cpp, replaying in SessionSeamsReplay.cpp, so that a program
// that only records (the released window) links neither the reader nor the
// replayer.

#include <memory>
#include <string>
#include <vector>

#include "seams/Seams.h"
#include "session/Recorders.h"
#include "session/SessionWriter.h"

class SessionReplayer;

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
  // Deleted through a function that Replay sets: destroying a SessionReplayer
  // here would link its code into every program that records.
  using ReplayerDeleter = void (*)(SessionReplayer*);

  SessionWriter writer_;
  std::unique_ptr<RecordedSeams> recorded_;
  std::unique_ptr<SessionReplayer, ReplayerDeleter> replayer_{nullptr, nullptr};
};
