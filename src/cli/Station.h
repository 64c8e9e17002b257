#pragma once
// Several enclosures at once, for `update --all` and `watch`: what each one is
// found to be, their updates side by side, and the table at the end.
//
// Per device: its reading, its row, its update's thread, buffers, progress
// and watch. Shared: the seams in force (the device backend, its trace and
// recorder, the virtual machine), the drawing of the progress and the hold of
// stop requests, each safe across threads.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Tessaloft_main/DeviceReading.h"
#include "Tessaloft_main/IdentityLines.h"
#include "cli/Candidates.h"
#include "cli/DeviceUpdate.h"
#include "cli/JsonWriter.h"
#include "cli/MultiProgress.h"
#include "cli/SharedHold.h"

// One line of the summary.
struct StationRow {
  std::string device;  // as shown
  std::vector<std::string> places;
  std::string firmwareBefore;  // "21.32.0.1", or "" when not read
  std::string result;          // "PASS", "FAIL", "skipped", "up to date"
  std::string reason;          // why FAIL or skipped
  double seconds = 0;
  bool counts = true;  // a TBR640: its result decides the exit code
};

// An enclosure read as the window reads it.
struct StationDevice {
  Candidate candidate;
  DeviceReading reading;
  IdentityLines lines;
  StationRow row;
  bool toUpdate = false;  // a TBR640 that is not up to date
};

// Reads `candidate` (when it is a TBR640) and says what it is.
StationDevice Examine(const Candidate& candidate);

// Updates side by side, one thread each.
class ParallelUpdates {
 public:
  ParallelUpdates(MultiProgress& progress, InterruptHold* hold, std::function<double()> seconds);
  ~ParallelUpdates();
  ParallelUpdates(const ParallelUpdates&) = delete;
  ParallelUpdates& operator=(const ParallelUpdates&) = delete;

  void Start(const StationDevice& device);
  // The rows of the updates that ended since the last call.
  std::vector<StationRow> Collect();
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
  SharedHold hold_;
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<Job>> jobs_;
};

// The table: device, places, firmware before, result, seconds.
std::string SummaryTable(const std::vector<StationRow>& rows, const char* placesLabel);
void WriteRows(JsonWriter& json, const std::vector<StationRow>& rows, const char* placesKey);
// 0 when every TBR640 ended PASS or up to date, else 1.
int StationExitCode(const std::vector<StationRow>& rows);
