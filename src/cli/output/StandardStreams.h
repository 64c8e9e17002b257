#pragma once
// tq214's standard output and error through the output pump: from its making
// to its end, std::cout and std::cerr post their lines, and the pump's threads
// write them to the system's outputs; no other thread of tq214 writes to them.
// Made in main after the hold of stop requests, so that the writer threads
// inherit it.

#include <streambuf>
#include <string>

#include "cli/output/OutputPump.h"
#include "cli/output/PumpStreamBuf.h"

class PumpedStandardStreams {
 public:
  // `outCopy`, when given, gets a copy of what is written to standard output
  // (the schema check's capture, ProgramCapture.h); it is whole once Drain
  // returned.
  explicit PumpedStandardStreams(std::string* outCopy = nullptr);
  // Drains, and gives the streams back their own buffers.
  ~PumpedStandardStreams();
  PumpedStandardStreams(const PumpedStandardStreams&) = delete;
  PumpedStandardStreams& operator=(const PumpedStandardStreams&) = delete;

  // The run is over: waits until everything printed has been written, or its
  // output failed. Each output is closed once written, so that a reader of
  // standard output sees its end while standard error is still waiting for
  // its own reader, and the reverse; printed later goes nowhere.
  void Drain();
  // The progress of standard output.
  ProgressSink& outProgress() { return out_; }

 private:
  OutputPump pump_;
  PumpStreamBuf out_;
  PumpStreamBuf err_;
  std::streambuf* ownOut_;
  std::streambuf* ownErr_;
};
