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
  explicit WriteSpan(const std::string& path);

  // False: another program, or another update of this one, is writing the
  // enclosure; nothing may be written (and the system is not kept awake).
  bool locked() const { return lock_ != nullptr; }
  bool awake() const { return awake_ != nullptr; }
  // How the system is kept awake, or why it is not.
  const std::string& awakeNote() const { return awakeNote_; }

 private:
  std::unique_ptr<SystemGuard> lock_;
  std::unique_ptr<SystemGuard> awake_;
  std::string awakeNote_;
};
