#include "cli/update/ParallelUpdates.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "cli/enclosure/RowResult.h"

// One device's update: everything in it is the device's own.
struct ParallelUpdates::Job {
  Job(ProgressView* view, InterruptHold* hold, const std::function<double()>& seconds)
      : feed(view), monitor(feed, hold, seconds) {}
  ResultRow row;
  std::string path;
  // What it was examined as, and whether its examination's lock is held for
  // it (by the thread that started it, which outlives the update).
  std::shared_ptr<DeviceSpan> span;
  std::array<uint8_t, 16> chipInfo{};
  bool read = false;  // its examination read the chip (chipInfo)
  bool lockHeld = false;
  std::unique_ptr<ProgressView> events;  // its progress as events, with --json=lines
  ProgressFeed feed;
  UpdateMonitor monitor;
  std::thread thread;
  std::atomic<bool> done{false};
  bool collected = false;
};

ParallelUpdates::ParallelUpdates(MultiProgress& progress, InterruptHold* hold,
                                 std::function<double()> seconds, std::ostream& notices)
    : progress_(progress),
      seconds_(std::move(seconds)),
      notices_(notices),
      hold_(hold, [this] { progress_.Notice(notices_, Notice()); }) {}

ParallelUpdates::~ParallelUpdates() {
  WaitAll();
}

void ParallelUpdates::Start(const ExaminedEnclosure& device) {
  std::unique_ptr<ProgressView> asEvents = jsonLines_ ? jsonLines_->ViewOf(device.row) : nullptr;
  auto job = std::make_unique<Job>(asEvents ? asEvents.get() : progress_.Add(device.row.name),
                                   &hold_, seconds_);
  job->events = std::move(asEvents);
  job->row = device.row;
  job->path = device.candidate.path;
  job->span = device.candidate.span;
  job->chipInfo = device.reading.chipInfo;
  job->read = device.toUpdate;
  job->lockHeld = device.lock != nullptr;
  job->monitor.SetTrace(trace_);
  Job* started = job.get();
  {
    std::lock_guard<std::mutex> guard(lock_);
    jobs_.push_back(std::move(job));
  }
  UpdateEvents* const jsonLines = jsonLines_;
  started->thread = std::thread([started, jsonLines] {
    if (jsonLines) jsonLines->Started(started->row);
    std::unique_ptr<SystemGuard> held;
    if (started->lockHeld) held = std::make_unique<SystemGuard>();
    const EnclosureUpdateResult result =
        UpdateEnclosure(started->path, started->row.places, started->monitor, std::move(held),
                        {std::move(started->span), started->read ? &started->chipInfo : nullptr});
    started->monitor.ReleaseHold();
    // One that another program was writing, whose lock had no safe place, or
    // that is not the unit examined any more, was left alone: not done.
    const bool leftAlone = !result.lock.taken() || result.changed;
    started->row.result = result.passed ? RowResult::kPass
                          : leftAlone   ? RowResult::kSkipped
                                        : RowResult::kFail;
    started->row.reason = result.passed ? "" : FailureReason(result);
    for (const FlushFailure& failure : result.unflushed) {
      started->row.reason +=
          std::string(started->row.reason.empty() ? "" : "; ") + "could not flush " + failure.place;
    }
    started->row.seconds = result.seconds;
    started->row.sense = SenseText(result.sense);
    if (jsonLines) jsonLines->Ended(started->row);
    started->done = true;
  });
}

// Threads are joined without the lock: an ending update may still need it
// (the notice of a request held at that moment reads every job).
std::vector<ResultRow> ParallelUpdates::Collect() {
  std::vector<Job*> ended;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& job : jobs_) {
      if (job->collected || !job->done) continue;
      job->collected = true;
      ended.push_back(job.get());
    }
  }
  std::vector<ResultRow> rows;
  for (Job* job : ended) {
    if (job->thread.joinable()) job->thread.join();
    rows.push_back(job->row);
  }
  return rows;
}

void ParallelUpdates::WaitAll() {
  std::vector<Job*> all;
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::transform(jobs_.begin(), jobs_.end(), std::back_inserter(all),
                   [](const std::unique_ptr<Job>& job) { return job.get(); });
  }
  for (Job* job : all) {
    if (job->thread.joinable()) job->thread.join();
  }
}

size_t ParallelUpdates::running() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<size_t>(
      std::count_if(jobs_.begin(), jobs_.end(), [](const auto& job) { return !job->done; }));
}

std::string ParallelUpdates::Notice() const {
  std::lock_guard<std::mutex> guard(lock_);
  int longest = -1;
  size_t unfinished = 0;
  for (const auto& job : jobs_) {
    if (job->done) continue;
    ++unfinished;
    if (job->monitor.writing()) longest = std::max(longest, job->monitor.SecondsLeftNow());
  }
  const std::string when = longest < 0 ? "how long they still take cannot be told yet"
                                       : "they end in about " + std::to_string(longest) + " s";
  return "\ntq214: " + std::to_string(unfinished) +
         " update(s) running; stopping now could leave enclosures unusable. The request to stop "
         "is held until they have ended (" +
         when + ").\n";
}
