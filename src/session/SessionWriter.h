#pragma once
// Writes a session file as the run goes: the header, then each event as it
// happens, one event to a line. After every event the file ends with the
// closing of the document again, so that it is a whole JSON document whenever
// no event is being written; a run cut short by a crash leaves at most one
// incomplete last line, which the reader passes over.
//
// Shared by every seam of a run and safe to use from several threads.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "session/SessionEvent.h"

class SessionWriter {
 public:
  SessionWriter() = default;
  ~SessionWriter();
  SessionWriter(const SessionWriter&) = delete;
  SessionWriter& operator=(const SessionWriter&) = delete;

  // Creates (or empties) `path` and writes the header; false (with the
  // reason in `error`) when it cannot. It must be a regular file: the end
  // of the document is written anew after each event, and a FIFO, a
  // terminal or /dev/stdout cannot be written so (and would hold the run
  // when nobody reads them).
  bool Open(const std::string& path, const SessionHeader& header, std::string* error);
  void Append(const SessionEvent& event);
  // Whether every write so far reached the file.
  bool ok() const;

 private:
  void WriteTail();

  mutable std::mutex lock_;
  std::FILE* file_ = nullptr;
  long tail_ = 0;  // where the document's closing starts
  size_t events_ = 0;
  bool failed_ = false;
};

// The header of a run of `program` with these arguments, now, on this
// system, with the firmware image this build carries.
SessionHeader MakeHeader(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& placesKey);
