#pragma once
// An ostream's buffer over the output pump: each line is posted as it is
// completed, and what an explicit flush finds (a prompt, a bar's drawing) as
// it is. Safe to write from several threads: each thread's line is held apart
// until it is whole, so that two threads writing lines in pieces at once
// never mix them.

#include <map>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>

#include "cli/output/OutputPump.h"
#include "cli/output/ProgressSink.h"

class PumpStreamBuf final : public std::streambuf, public ProgressSink {
 public:
  PumpStreamBuf(OutputPump& pump, OutputPump::Stream stream) : pump_(pump), stream_(stream) {}

  // `text` as the newest progress of `key` (OutputPump::Progress), after
  // what the calling thread wrote before it.
  void Show(const std::string& key, const std::string& text) override;
  // Posts what every thread has begun and not ended (the program's end).
  void PostAll();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize size) override;
  int sync() override;

 private:
  void Take(const char* text, size_t size);
  // Under the lock: posts the calling thread's line begun and not ended.
  void PostOwn();

  OutputPump& pump_;
  const OutputPump::Stream stream_;
  std::mutex lock_;
  std::map<std::thread::id, std::string> partial_;  // each thread's line begun and not ended
};
