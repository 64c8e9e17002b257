#pragma once
// What tq214 prints, written by a thread of its own, so that the work that
// produces it (an update, above all) never waits for whoever reads it: a
// terminal stopped with Ctrl+S, a pager that does not read, a full pipe, a
// slow link. Posting only queues; the writer thread does the waiting.
//
// Two kinds of text: kept text (results, notices, trace lines, JSON) is
// written whole and in order when the output takes it; progress is posted
// under a key, and progress not yet written is replaced by a newer one of the
// same key (which then takes its place at the end of the queue). A stopped
// output keeps at most `keptLimit` bytes: beyond them the oldest kept text
// is dropped and one line on standard error says how many lines were not
// shown. An output whose write fails (a closed pipe, a full disk) is written
// no more; the other goes on. Both streams share one queue, so that their
// lines keep the order they were posted in.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

// Where the writer thread writes: a file, a pipe, a terminal.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Writes the whole of `text`, waiting as long as the output takes; false
  // when the output failed, after which nothing more is written to it.
  virtual bool Write(const std::string& text) = 0;
};

class OutputPump {
 public:
  enum Stream : uint8_t { kOut = 0, kErr = 1 };
  // Far more than any run prints while its output takes it.
  static constexpr size_t kKeptLimit = size_t{16} << 20;

  OutputPump(std::unique_ptr<OutputSink> out, std::unique_ptr<OutputSink> err,
             size_t keptLimit = kKeptLimit);
  // Drains, then ends the writer thread.
  ~OutputPump();
  OutputPump(const OutputPump&) = delete;
  OutputPump& operator=(const OutputPump&) = delete;

  // Queues `text`, which is written whole and in order.
  void Post(Stream stream, std::string text);
  // Queues `text` as the newest progress of `key`, in place of any of that
  // key not written yet.
  void Progress(Stream stream, const std::string& key, std::string text);
  // Waits until everything queued has been written, or its output failed.
  void Drain();

 private:
  enum class Kind : uint8_t { kKept, kProgress, kNotShown };
  struct Entry {
    Kind kind;
    Stream stream;
    std::string key;
    std::string text;
    size_t lines = 0;  // kNotShown: how many lines were dropped
  };
  using Queue = std::list<Entry>;

  void Write();
  // Drops the oldest kept text until `bytes` more fit.
  void MakeRoom(size_t bytes);
  std::string Take(Queue::iterator entry);

  std::unique_ptr<OutputSink> sinks_[2];
  const size_t keptLimit_;
  std::mutex lock_;
  std::condition_variable wake_;  // something to write, or the end
  std::condition_variable idle_;  // the queue is empty and nothing is being written
  Queue queue_;
  std::map<std::pair<Stream, std::string>, Queue::iterator> progress_;
  size_t keptBytes_ = 0;
  bool failed_[2] = {false, false};
  bool writing_ = false;
  bool stop_ = false;
  std::thread writer_;
};
