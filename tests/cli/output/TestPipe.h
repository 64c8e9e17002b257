#pragma once
// A pipe of the system, one per platform (linux/TestPipe.cpp,
// win32/TestPipe.cpp): the platform's writer of the outputs writes into one
// end; the other is read to its end.

#include <cstdint>
#include <memory>
#include <string>

#include "cli/output/OutputPump.h"

class TestPipe {
 public:
  TestPipe();
  TestPipe(const TestPipe&) = delete;
  TestPipe& operator=(const TestPipe&) = delete;

  // The platform's writer of the write end, which stays the pipe's.
  std::unique_ptr<OutputSink> WritingSink() const;
  // Closes the write end, so that the reader sees the end.
  void CloseWriteEnd() const;
  // Reads to the end and closes the read end; without the "\r" Windows
  // writes before each "\n".
  std::string ReadAll() const;

 private:
  // File descriptors, or HANDLEs.
  std::intptr_t read_ = -1;
  std::intptr_t write_ = -1;
};
