#pragma once
// What the system promises while an enclosure is written, across programs:
// one writer per enclosure, and no sleep or shutdown in the middle. A guard
// holds until it is destroyed, in the thread that took it.

#include <cstdint>
#include <memory>
#include <string>

class SystemGuard {
 public:
  virtual ~SystemGuard() = default;
};

// What a try for an enclosure's lock came to.
enum class LockOutcome : uint8_t {
  kTaken,    // had: the enclosure may be sent commands
  kBusy,     // another program, or another update of this one, holds it
  kRefused,  // the lock's place is not safe to use: `problem` says why
};

// What a try for an enclosure's lock came to, the lock itself aside: what is
// carried with what was found of an enclosure and with its update's result.
// Busy or refused: the enclosure was sent nothing.
struct LockStanding {
  LockOutcome outcome = LockOutcome::kBusy;
  // kRefused: one line naming the lock's path and what is wrong with it.
  std::string problem;

  bool taken() const { return outcome == LockOutcome::kTaken; }
  bool busy() const { return outcome == LockOutcome::kBusy; }
  bool refused() const { return outcome == LockOutcome::kRefused; }
};

struct EnclosureLock : LockStanding {
  // kTaken: held until destroyed; null when the system holds nothing for it
  // (a shared hold that is only the finding that no writer holds it now).
  std::unique_ptr<SystemGuard> guard;

  const LockStanding& standing() const { return *this; }
};

// What names an enclosure's lock when its path does: the path with its
// letters in lower case (discovery has a path as the system spells it, the
// flows as they lower-cased it).
std::string LockKeyOf(const char* path);

// A lock had, holding `guard` (null: nothing to hold).
EnclosureLock TakenLock(std::unique_ptr<SystemGuard> guard);
// Another holds it.
EnclosureLock BusyLock();
EnclosureLock RefusedLock(std::string problem);

class SystemGuards {
 public:
  virtual ~SystemGuards() = default;
  // The lock of the enclosure at `path` (a path device commands take), held
  // by one writer on the machine at a time, tried without waiting. A lock
  // whose holder died is free.
  virtual EnclosureLock LockEnclosure(const char* path) = 0;
  // Whether another holder has the lock of the enclosure at `path` now,
  // found without taking it and without waiting, before a program that only
  // reads sends the enclosure a command. A lock whose place cannot be trusted
  // is not held by anyone (every update refuses it).
  virtual bool EnclosureBusy(const char* path) = 0;
  // The lock of the enclosure at `path` held by one that only reads, for as
  // long as it probes the enclosure: shared with other readers, never with a
  // writer, so that no writer starts in the middle of the probe. Tried
  // without waiting on a writer: busy while one holds it; refused when the
  // reader cannot hold a lock that a writer would see (`problem` says why),
  // and then it sends the enclosure nothing. Where the system's lock cannot
  // be shared, the hold is only the finding that no writer holds it now
  // (EnclosureBusy), which is what this gives unless a platform does more.
  virtual EnclosureLock ShareEnclosure(const char* path);
  // Keeps the system from sleeping and shutting down. `note` says how, or
  // why it could not (then the result is null and the update goes on).
  virtual std::unique_ptr<SystemGuard> KeepAwake(std::string* note) = 0;
};

// A lock of the enclosure at `path` that holds within this process only (the
// path's letters in any case): the guards in force when none are installed,
// and those of a simulated enclosure without a folder for its locks.
std::unique_ptr<SystemGuard> LockWithinProcess(const char* path);
bool BusyWithinProcess(const char* path);
// Those guards: locks within this process, nothing kept awake.
SystemGuards& ProcessOnlyGuards();
