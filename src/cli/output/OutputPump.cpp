#include "cli/output/OutputPump.h"

#include <algorithm>
#include <iterator>

namespace {

// The most the writer takes off the queue for one write.
constexpr size_t kBatchBytes = size_t{64} << 10;

size_t LinesIn(const std::string& text) {
  return std::max<size_t>(1, static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
}

}  // namespace

OutputPump::OutputPump(std::unique_ptr<OutputSink> out, std::unique_ptr<OutputSink> err,
                       size_t keptLimit)
    : sinks_{std::move(out), std::move(err)}, keptLimit_(keptLimit), writer_([this] { Write(); }) {}

OutputPump::~OutputPump() {
  Drain();
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  writer_.join();
}

void OutputPump::Post(Stream stream, std::string text) {
  if (text.empty()) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (failed_[stream]) return;
  MakeRoom(text.size());
  keptBytes_ += text.size();
  queue_.push_back({Kind::kKept, stream, {}, std::move(text)});
  wake_.notify_one();
}

void OutputPump::Progress(Stream stream, const std::string& key, std::string text) {
  std::lock_guard<std::mutex> guard(lock_);
  if (failed_[stream]) return;
  const auto pending = progress_.find({stream, key});
  if (pending != progress_.end()) {
    queue_.erase(pending->second);
    progress_.erase(pending);
  }
  queue_.push_back({Kind::kProgress, stream, key, std::move(text)});
  progress_[{stream, key}] = std::prev(queue_.end());
  wake_.notify_one();
}

void OutputPump::Drain() {
  std::unique_lock<std::mutex> lock(lock_);
  idle_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

void OutputPump::MakeRoom(size_t bytes) {
  auto entry = queue_.begin();
  while (keptBytes_ + bytes > keptLimit_ && entry != queue_.end()) {
    if (entry->kind != Kind::kKept) {
      ++entry;
      continue;
    }
    // One line says what was dropped here, however much it grows to.
    auto notShown = entry;
    while (notShown != queue_.begin() && std::prev(notShown)->kind == Kind::kProgress) --notShown;
    if (notShown == queue_.begin() || std::prev(notShown)->kind != Kind::kNotShown) {
      notShown = queue_.insert(entry, {Kind::kNotShown, kErr, {}, {}});
    } else {
      --notShown;
    }
    notShown->lines += LinesIn(entry->text);
    keptBytes_ -= entry->text.size();
    entry = queue_.erase(entry);
  }
}

// Under the lock: the text of `entry`, which leaves the queue.
std::string OutputPump::Take(Queue::iterator entry) {
  std::string text = std::move(entry->text);
  if (entry->kind == Kind::kKept) keptBytes_ -= text.size();
  if (entry->kind == Kind::kProgress) progress_.erase({entry->stream, entry->key});
  if (entry->kind == Kind::kNotShown) {
    text = "tq214: " + std::to_string(entry->lines) +
           (entry->lines == 1 ? " line was not shown\n" : " lines were not shown\n");
  }
  queue_.erase(entry);
  return text;
}

void OutputPump::Write() {
  std::unique_lock<std::mutex> lock(lock_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) return;
    // What is at the front for the same stream, in one write.
    const Stream stream = queue_.front().stream;
    std::string text;
    while (!queue_.empty() && queue_.front().stream == stream && text.size() < kBatchBytes) {
      text += Take(queue_.begin());
    }
    if (!failed_[stream]) {
      writing_ = true;
      lock.unlock();
      const bool written = sinks_[stream]->Write(text);
      lock.lock();
      writing_ = false;
      if (!written) failed_[stream] = true;
    }
    if (queue_.empty()) idle_.notify_all();
  }
}
