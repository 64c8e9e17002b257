#pragma once
// Updates of several enclosures side by side, one thread each, for
// `update --all` and `watch --update`.
//
// Per device: its row, its update's thread, buffers, progress and monitor.
// Shared: the seams in force (the device backend, its trace and recorder, the
// virtual machine), the drawing of the progress and the hold of stop
// requests, each safe across threads.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/enclosure/Examine.h"
#include "cli/update/EnclosureUpdate.h"
#include "cli/update/MultiProgress.h"
#include "cli/update/SharedHold.h"
#include "cli/update/UpdateEvents.h"

// Updates side by side, one thread each.
class ParallelUpdates {
 public:
  // `hold` may be null (nothing is held); the notice of a request held goes
  // to `notices`, through the progress's drawing.
  ParallelUpdates(MultiProgress& progress, InterruptHold* hold, std::function<double()> seconds,
                  std::ostream& notices);
  ~ParallelUpdates();
  ParallelUpdates(const ParallelUpdates&) = delete;
  ParallelUpdates& operator=(const ParallelUpdates&) = delete;

  // With --trace: where each update's notes go.
  void SetTrace(std::ostream* trace) { trace_ = trace; }
  // With --json=lines: each update's start, progress and result go there
  // instead of the progress's drawing.
  void SetJsonLines(UpdateEvents* jsonLines) { jsonLines_ = jsonLines; }
  // Its update goes through the handle of its examination, under the lock of
  // its examination when that is held (`device` outlives the update then).
  void Start(const ExaminedEnclosure& device);
  // The rows of the updates that ended since the last call.
  std::vector<ResultRow> Collect();
  void WaitAll();
  size_t running() const;
  std::vector<std::string> held() const { return hold_.held(); }
  // What a request to stop held meanwhile prints: how many updates run, and
  // about how long the longest still takes.
  std::string Notice() const;

 private:
  struct Job;

  MultiProgress& progress_;
  std::function<double()> seconds_;
  std::ostream& notices_;
  std::ostream* trace_ = nullptr;
  UpdateEvents* jsonLines_ = nullptr;
  SharedHold hold_;
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<Job>> jobs_;
};
