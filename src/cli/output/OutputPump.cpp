#include "cli/output/OutputPump.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// The most a writer takes off its queue for one write.
constexpr size_t kBatchBytes = size_t{64} << 10;
// What the allocator adds to each block: its header, and rounding up to it.
constexpr size_t kAllocation = 16;

size_t LinesIn(const std::string& text) {
  return std::max<size_t>(1, static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
}

size_t Allocated(size_t bytes) {
  return (bytes + 2 * kAllocation - 1) / kAllocation * kAllocation;
}

// The block a text's characters take beside it; none while they fit inside.
size_t HeapCost(const std::string& text) {
  static const size_t inside = std::string().capacity();
  return text.capacity() <= inside ? 0 : Allocated(text.capacity() + 1);
}

}  // namespace

size_t OutputPump::HeldCost(const std::string& text) {
  // The queue's node: the entry and its two links.
  return Allocated(sizeof(Entry) + 2 * sizeof(void*)) + HeapCost(text);
}

OutputPump::OutputPump(std::unique_ptr<OutputSink> out, std::unique_ptr<OutputSink> err,
                       size_t heldLimit)
    : heldLimit_(heldLimit) {
  lanes_[kOut].sink = std::move(out);
  lanes_[kErr].sink = std::move(err);
  for (Lane& lane : lanes_) lane.writer = std::thread([this, &lane] { WriterLoop(lane); });
}

OutputPump::~OutputPump() {
  Drain();
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  for (Lane& lane : lanes_) {
    lane.wake.notify_all();
    lane.writer.join();
  }
}

void OutputPump::Post(Stream stream, std::string text) {
  if (text.empty()) return;
  std::lock_guard<std::mutex> guard(lock_);
  Lane& lane = lanes_[stream];
  if (lane.failed) return;
  Entry entry{Kind::kKept, {}, std::move(text)};
  entry.cost = HeldCost(entry.text);
  MakeRoom(entry.cost);
  lane.keptCost += entry.cost;
  Push(lane, std::move(entry));
}

void OutputPump::Progress(Stream stream, const std::string& key, std::string text) {
  std::lock_guard<std::mutex> guard(lock_);
  Lane& lane = lanes_[stream];
  if (lane.failed) return;
  const auto pending = lane.progress.find(key);
  if (pending != lane.progress.end()) {
    heldCost_ -= pending->second->cost;
    lane.queue.erase(pending->second);
    lane.progress.erase(pending);
  }
  Entry entry{Kind::kProgress, key, std::move(text)};
  // Its key once more in the map, in a node of the map's own.
  entry.cost = HeldCost(entry.text) + 2 * HeapCost(entry.key) +
               Allocated(sizeof(std::pair<const std::string, Queue::iterator>) + 4 * sizeof(void*));
  MakeRoom(entry.cost);
  Push(lane, std::move(entry));
  lane.progress[key] = std::prev(lane.queue.end());
}

void OutputPump::Push(Lane& lane, Entry entry) {
  heldCost_ += entry.cost;
  lane.queue.push_back(std::move(entry));
  lane.wake.notify_one();
}

void OutputPump::Drain() {
  std::unique_lock<std::mutex> lock(lock_);
  idle_.wait(lock, [this] {
    return std::all_of(std::begin(lanes_), std::end(lanes_),
                       [](const Lane& lane) { return lane.queue.empty() && !lane.writing; });
  });
}

void OutputPump::End() {
  std::unique_lock<std::mutex> lock(lock_);
  for (Lane& lane : lanes_) {
    lane.ending = true;
    lane.sink->WorkIsOver();
    lane.wake.notify_one();
  }
  idle_.wait(lock, [this] {
    return std::all_of(std::begin(lanes_), std::end(lanes_),
                       [](const Lane& lane) { return lane.closed; });
  });
}

void OutputPump::MakeRoom(size_t cost) {
  while (heldCost_ + cost > heldLimit_) {
    // The stream holding most is the one its reader is not taking.
    Lane& fullest = lanes_[kOut].keptCost >= lanes_[kErr].keptCost ? lanes_[kOut] : lanes_[kErr];
    if (fullest.keptCost == 0) return;
    DropOldestKept(fullest);
  }
}

void OutputPump::DropOldestKept(Lane& lane) {
  auto oldest = std::find_if(lane.queue.begin(), lane.queue.end(),
                             [](const Entry& entry) { return entry.kind == Kind::kKept; });
  // One mark says what was dropped here, however much it grows to.
  auto mark = oldest;
  while (mark != lane.queue.begin() && std::prev(mark)->kind == Kind::kProgress) --mark;
  if (mark == lane.queue.begin() || std::prev(mark)->kind != Kind::kNotShown) {
    Entry entry{Kind::kNotShown, {}, {}};
    entry.cost = HeldCost(entry.text);
    heldCost_ += entry.cost;
    mark = lane.queue.insert(oldest, std::move(entry));
  } else {
    --mark;
  }
  mark->lines += LinesIn(oldest->text);
  heldCost_ -= oldest->cost;
  lane.keptCost -= oldest->cost;
  lane.queue.erase(oldest);
}

// Under the lock: the text at the front of the lane's queue, which leaves it.
std::string OutputPump::Take(Lane& lane) {
  Entry& entry = lane.queue.front();
  std::string text = std::move(entry.text);
  heldCost_ -= entry.cost;
  if (entry.kind == Kind::kKept) lane.keptCost -= entry.cost;
  if (entry.kind == Kind::kProgress) lane.progress.erase(entry.key);
  const size_t lines = entry.lines;
  const bool notice = entry.kind == Kind::kNotShown;
  lane.queue.pop_front();
  if (!notice) return text;
  // Said on standard error, whichever stream lost them.
  text = "tq214: " + std::to_string(lines) +
         (lines == 1 ? " line was not shown\n" : " lines were not shown\n");
  Lane& err = lanes_[kErr];
  if (&lane == &err) return text;
  if (!err.failed) {
    Entry said{Kind::kKept, {}, std::move(text)};
    said.cost = HeldCost(said.text);
    err.keptCost += said.cost;
    Push(err, std::move(said));
  }
  return {};
}

void OutputPump::WriterLoop(Lane& lane) {
  std::unique_lock<std::mutex> lock(lock_);
  for (;;) {
    lane.wake.wait(lock, [this, &lane] {
      return stop_ || !lane.queue.empty() || (lane.ending && !lane.closed);
    });
    if (lane.queue.empty() && lane.ending && !lane.closed) {
      lane.failed = true;  // nothing more is taken
      lock.unlock();
      lane.sink->Close();
      lock.lock();
      lane.closed = true;
      idle_.notify_all();
      continue;
    }
    if (lane.queue.empty()) return;
    std::string text;
    while (!lane.queue.empty() && text.size() < kBatchBytes) text += Take(lane);
    if (!lane.failed) {
      lane.writing = true;
      lock.unlock();
      const bool written = lane.sink->Write(text);
      lock.lock();
      lane.writing = false;
      if (!written) lane.failed = true;
    }
    if (lane.queue.empty()) idle_.notify_all();
  }
}
