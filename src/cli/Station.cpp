#include "cli/Station.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "IDEAccess/ChipIdentification.h"
#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"

namespace {

std::string VersionOf(const DeviceReading& reading) {
  const uint8_t* v = reading.chipInfo.data() + kChipInfoVersion;
  char text[24];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", v[0], v[1], v[2], v[3]);
  return text;
}

const char* SkipReason(ReadingOutcome outcome) {
  switch (outcome) {
    case ReadingOutcome::kNoFlashIndex:
      return "the bridge did not answer the flash index command";
    case ReadingOutcome::kNoChipInfo:
      return "the chip information could not be read";
    case ReadingOutcome::kInternalCode:
      return "the bridge runs its internal code";
    case ReadingOutcome::kNoConfigBlock:
      return "the configuration block could not be read";
    default:
      return "not a TBR640";
  }
}

std::string Places(const std::vector<std::string>& places) {
  std::string text;
  for (const std::string& place : places) {
    text += (text.empty() ? "" : ", ") + EscapeDeviceText(place);
  }
  return text.empty() ? "-" : text;
}

}  // namespace

StationDevice Examine(const Candidate& candidate) {
  StationDevice device;
  device.candidate = candidate;
  StationRow& row = device.row;
  row.device = candidate.shown;
  row.places = candidate.places;
  if (!IsTbr640(candidate)) {
    row.result = "skipped";
    row.reason = "not a TBR640 (family " + std::to_string(FamilyCodeOf(candidate.code)) + ")";
    row.counts = false;
    return device;
  }
  const ReadingOutcome outcome = ReadDevice(candidate.path.c_str(), &device.reading);
  // The chip information was read from kInternalCode on, and for kRead.
  if (outcome == ReadingOutcome::kRead || outcome >= ReadingOutcome::kInternalCode) {
    row.firmwareBefore = VersionOf(device.reading);
  }
  if (outcome != ReadingOutcome::kRead) {
    row.result = "skipped";
    row.reason = SkipReason(outcome);
    row.counts = outcome != ReadingOutcome::kNotTbr640;
    return device;
  }
  BuildIdentityLines(device.reading.block, device.reading.chipInfo.data(), &device.lines);
  if (device.lines.upToDate) {
    row.result = "up to date";
  } else {
    device.toUpdate = true;
  }
  return device;
}

// One device's update: everything in it is the device's own.
struct ParallelUpdates::Job {
  Job(ProgressView* view, InterruptHold* hold, const std::function<double()>& seconds)
      : feed(view), watch(feed, hold, seconds) {}
  StationRow row;
  std::string path;
  ProgressFeed feed;
  UpdateWatch watch;
  std::thread thread;
  std::atomic<bool> done{false};
  bool collected = false;
};

ParallelUpdates::ParallelUpdates(MultiProgress& progress, InterruptHold* hold,
                                 std::function<double()> seconds)
    : progress_(progress), seconds_(std::move(seconds)), hold_(hold, [this] { return Notice(); }) {}

ParallelUpdates::~ParallelUpdates() {
  WaitAll();
}

void ParallelUpdates::Start(const StationDevice& device) {
  auto job = std::make_unique<Job>(progress_.Add(device.row.device), &hold_, seconds_);
  job->row = device.row;
  job->path = device.candidate.path;
  Job* started = job.get();
  {
    std::lock_guard<std::mutex> guard(lock_);
    jobs_.push_back(std::move(job));
  }
  started->thread = std::thread([started] {
    const DeviceUpdateResult result =
        UpdateOneDevice(started->path, started->row.places, started->watch);
    started->watch.ReleaseHold();
    started->row.result = result.passed ? "PASS" : "FAIL";
    started->row.reason = result.passed ? "" : FailureReason(result);
    for (const FlushFailure& failure : result.unflushed) {
      started->row.reason +=
          std::string(started->row.reason.empty() ? "" : "; ") + "could not flush " + failure.place;
    }
    started->row.seconds = result.seconds;
    started->done = true;
  });
}

// Threads are joined without the lock: an ending update may still need it
// (the notice of a request held at that moment reads every job).
std::vector<StationRow> ParallelUpdates::Collect() {
  std::vector<Job*> ended;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& job : jobs_) {
      if (job->collected || !job->done) continue;
      job->collected = true;
      ended.push_back(job.get());
    }
  }
  std::vector<StationRow> rows;
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
  size_t writing = 0;
  for (const auto& job : jobs_) {
    if (job->done || !job->watch.writing()) continue;
    ++writing;
    longest = std::max(longest, job->watch.SecondsLeftNow());
  }
  const std::string when = longest < 0 ? "how long they still take cannot be told yet"
                                       : "they end in about " + std::to_string(longest) + " s";
  return "\ntq214: " + std::to_string(writing) +
         " update(s) running; stopping now could leave enclosures unusable. The request to stop "
         "is held until they have ended (" +
         when + ").\n";
}

std::string SummaryTable(const std::vector<StationRow>& rows, const char* placesLabel) {
  std::vector<std::vector<std::string>> cells = {
      {"device", placesLabel, "firmware before", "result", "seconds"}};
  for (const StationRow& row : rows) {
    char seconds[16] = "-";
    if (row.result == "PASS" || row.result == "FAIL") {
      std::snprintf(seconds, sizeof seconds, "%.1f", row.seconds);
    }
    const std::string result = row.reason.empty() ? row.result : row.result + ": " + row.reason;
    cells.push_back({row.device, Places(row.places),
                     row.firmwareBefore.empty() ? "-" : row.firmwareBefore, result, seconds});
  }
  std::vector<size_t> widths(cells.front().size(), 0);
  for (const auto& line : cells) {
    for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], line[i].size());
  }
  std::string table;
  for (const auto& line : cells) {
    std::string text;
    for (size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text += std::string(widths[i] - line[i].size() + 2, ' ');
    }
    table += text + "\n";
  }
  return table;
}

void WriteRows(JsonWriter& json, const std::vector<StationRow>& rows, const char* placesKey) {
  json.Key("devices").BeginArray();
  for (const StationRow& row : rows) {
    json.BeginObject()
        .Member("path", row.device)
        .Member(placesKey, row.places)
        .Member("firmwareBefore", row.firmwareBefore)
        .Member("result", row.result)
        .Member("reason", row.reason)
        .Member("milliseconds", static_cast<int64_t>(row.seconds * 1000))
        .EndObject();
  }
  json.EndArray();
}

int StationExitCode(const std::vector<StationRow>& rows) {
  const bool allGood = std::all_of(rows.begin(), rows.end(), [](const StationRow& row) {
    return !row.counts || row.result == "PASS" || row.result == "up to date";
  });
  return allGood ? kExitSuccess : kExitFailure;
}
