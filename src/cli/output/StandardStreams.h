#pragma once
// tq214's standard output and error through the output pump: from its making
// to its end, std::cout and std::cerr post their lines, and the pump's thread
// writes them to the system's outputs. Made in main after the hold of stop
// requests, so that the writer thread inherits it.

#include <streambuf>

#include "cli/output/OutputPump.h"
#include "cli/output/PumpStreamBuf.h"

class PumpedStandardStreams {
 public:
  PumpedStandardStreams();
  // Drains, and gives the streams back their own buffers.
  ~PumpedStandardStreams();
  PumpedStandardStreams(const PumpedStandardStreams&) = delete;
  PumpedStandardStreams& operator=(const PumpedStandardStreams&) = delete;

  // Waits until everything printed has been written, or its output failed.
  void Drain();

 private:
  OutputPump pump_;
  PumpStreamBuf out_;
  PumpStreamBuf err_;
  std::streambuf* ownOut_;
  std::streambuf* ownErr_;
};
