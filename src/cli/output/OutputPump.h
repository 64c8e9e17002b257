#pragma once
// What tq214 prints, written by threads of their own, so that the work that
// produces it (an update, above all) never waits for whoever reads it: a
// terminal stopped with Ctrl+S, a pager that does not read, a full pipe, a
// slow link. Posting only queues; the writer threads do the waiting.
//
// Each stream has its own queue and writer: a standard error nobody reads
// never holds standard output back, nor the reverse. Within a stream, lines
// keep the order they were posted in.
//
// Two kinds of text: kept text (results, notices, trace lines, JSON) is
// written whole and in order when the output takes it; progress is posted
// under a key, and progress not yet written is replaced by a newer one of the
// same key (which then takes its place at the end of its queue). What waits
// to be written costs at most `heldLimit` bytes of memory, counted as it is
// held (the text's buffer and each line's own bookkeeping), however short
// the lines: beyond them the oldest kept text of the stream holding most is
// dropped, and one line on standard error says how many lines were not shown
// when its stream's writer comes to where they were.
// An output whose write fails (a closed pipe, a full disk) is written no
// more; the other goes on.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Where a writer thread writes: a file, a pipe, a terminal.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Writes the whole of `text`, waiting as long as the output takes; false
  // when the output failed, after which nothing more is written to it.
  virtual bool Write(const std::string& text) = 0;
  // The program's work is over (from another thread): what is left to write
  // may now wait in ways that would have held the work up.
  virtual void WorkIsOver() {}
  // Nothing more comes: the reader is shown the output's end.
  virtual void Close() {}
};

class OutputPump {
 public:
  enum Stream : uint8_t { kOut = 0, kErr = 1 };
  // Far more than any run prints while its output takes it.
  static constexpr size_t kHeldLimit = size_t{32} << 20;

  OutputPump(std::unique_ptr<OutputSink> out, std::unique_ptr<OutputSink> err,
             size_t heldLimit = kHeldLimit);
  // Drains, then ends the writer threads.
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
  // The work is over: each stream is written to its end and closed, each as
  // soon as it is written, so that a reader of one sees its end while the
  // other is still being written. Then waits for both; later posts are
  // dropped.
  void End();

  // What holding `text` costs, as the limit counts it.
  static size_t HeldCost(const std::string& text);

 private:
  enum class Kind : uint8_t { kKept, kProgress, kNotShown };
  struct Entry {
    Kind kind;
    std::string key;
    std::string text;
    size_t lines = 0;  // kNotShown: how many lines were dropped
    size_t cost = 0;   // what it counts against the limit
  };
  using Queue = std::list<Entry>;
  struct Lane {
    std::unique_ptr<OutputSink> sink;
    Queue queue;
    std::map<std::string, Queue::iterator> progress;
    std::condition_variable wake;  // something to write, the end, or the stop
    size_t keptCost = 0;
    bool failed = false;
    bool writing = false;
    bool ending = false;
    bool closed = false;
    std::thread writer;
  };

  void WriterLoop(Lane& lane);
  void Push(Lane& lane, Entry entry);
  // Drops the oldest kept text until `cost` more fits.
  void MakeRoom(size_t cost);
  void DropOldestKept(Lane& lane);
  std::string Take(Lane& lane);

  const size_t heldLimit_;
  std::mutex lock_;
  std::condition_variable idle_;  // a queue emptied, or a stream closed
  Lane lanes_[2];
  size_t heldCost_ = 0;
  bool stop_ = false;
};
