#pragma once
// What the system promises while an enclosure is written, across programs:
// one writer per enclosure, and no sleep or shutdown in the middle. A guard
// holds until it is destroyed, in the thread that took it.

#include <memory>
#include <string>

class SystemGuard {
 public:
  virtual ~SystemGuard() = default;
};

class SystemGuards {
 public:
  virtual ~SystemGuards() = default;
  // The lock of the enclosure at `path` (a path device commands take), held
  // by one writer on the machine at a time; null when another program, or
  // another update of this one, holds it. A lock whose holder died is free.
  virtual std::unique_ptr<SystemGuard> LockEnclosure(const char* path) = 0;
  // Keeps the system from sleeping and shutting down. `note` says how, or
  // why it could not (then the result is null and the update goes on).
  virtual std::unique_ptr<SystemGuard> KeepAwake(std::string* note) = 0;
};

// A lock of the enclosure at `path` that holds within this process only: the
// guards in force when none are installed, and the fall-back of those that
// find no place for a system-wide lock.
std::unique_ptr<SystemGuard> LockWithinProcess(const char* path);
// Those guards: locks within this process, nothing kept awake.
SystemGuards& ProcessOnlyGuards();
