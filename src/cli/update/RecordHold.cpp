#include "cli/update/RecordHold.h"

RecordHold::~RecordHold() {
  RecordWritten();
  std::lock_guard<std::mutex> guard(lock_);
  if (runEndsUntilRecorded_) platform_.SetRunEndsOnRequest(false);
}

void RecordHold::Begin(std::function<void()> announce) {
  {
    std::lock_guard<std::mutex> guard(announceLock_);
    announce_ = std::move(announce);
  }
  std::lock_guard<std::mutex> guard(lock_);
  if (holding_) return;
  holding_ = true;
  platform_.Begin([this] { Announce(); });
}

void RecordHold::Announce() {
  std::lock_guard<std::mutex> guard(announceLock_);
  if (announce_) announce_();
}

std::vector<std::string> RecordHold::End() {
  {
    // Waits for a notice being printed, which reads the update's progress.
    std::lock_guard<std::mutex> guard(announceLock_);
    announce_ = nullptr;
  }
  std::lock_guard<std::mutex> guard(lock_);
  return holding_ ? platform_.HeldSoFar() : std::vector<std::string>{};
}

void RecordHold::SetRunEndsOnRequest(bool on) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!on) return;
  runEndsUntilRecorded_ = true;
  platform_.SetRunEndsOnRequest(true);
}

void RecordHold::RecordWritten() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!holding_) return;
  holding_ = false;
  platform_.End();
}
