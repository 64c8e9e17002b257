#pragma once
// A run's hold of stop requests, which outlasts the updates: what an update
// did is written down (its history line flushed to disk, its journal entry,
// the result on standard output) before a request to stop is let through.
// The updates begin and end it as they would the platform's hold; that hold
// goes on holding after their end, and the run lets go of it once its record
// is written (RecordWritten) or, at the latest, when it is destroyed. A run
// that takes requests as the sign to end by itself (a watch, a wait) goes on
// taking them so until then, so that its own record is not cut short either.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cli/update/InterruptHold.h"

class RecordHold final : public InterruptHold {
 public:
  explicit RecordHold(InterruptHold& platform) : platform_(platform) {}
  ~RecordHold() override;
  RecordHold(const RecordHold&) = delete;
  RecordHold& operator=(const RecordHold&) = delete;

  // The platform announces a request through this hold, so that the notice
  // of an update that has ended (its monitor gone) is never called.
  void Begin(std::function<void()> announce) override;
  // The update has ended: names the requests held so far, and holds on; a
  // request from now on is held without a notice.
  std::vector<std::string> End() override;
  std::vector<std::string> HeldSoFar() const override { return platform_.HeldSoFar(); }
  bool requested() const override { return platform_.requested(); }
  // Turned off only when the record is written.
  void SetRunEndsOnRequest(bool on) override;

  // What the updates so far did is written down: the hold ends.
  void RecordWritten();

 private:
  void Announce();

  InterruptHold& platform_;
  // Taken by the platform's watcher with its own lock held: never held
  // while calling the platform.
  std::mutex announceLock_;
  std::function<void()> announce_;
  std::mutex lock_;
  bool holding_ = false;
  bool runEndsUntilRecorded_ = false;
};
