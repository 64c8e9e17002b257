#pragma once
// What is held while an enclosure is written, from before the download's
// first write to the end of the configuration block's read-back: the
// enclosure's lock on the machine (one writer at a time, across programs)
// and the system kept awake. Let go of when the object is destroyed, in the
// thread that made it.

#include <memory>
#include <string>

#include "seams/SystemGuards.h"

class WriteSpan {
 public:
  // Takes the enclosure's lock, unless it is `held` already (taken before
  // the enclosure's first command).
  explicit WriteSpan(const std::string& path, std::unique_ptr<SystemGuard> held = nullptr);

  // Not taken: nothing may be written (and the system is not kept awake),
  // for one of two reasons: another program, or another update of this one,
  // is writing the enclosure (busy), or the lock's place is not safe to use
  // (refused: its problem says why).
  const LockStanding& lock() const { return lock_.standing(); }
  bool awake() const { return awake_ != nullptr; }
  // How the system is kept awake, or why it is not.
  const std::string& awakeNote() const { return awakeNote_; }

 private:
  EnclosureLock lock_;
  std::unique_ptr<SystemGuard> awake_;
  std::string awakeNote_;
};
