#pragma once
// The program's side of JsonCapture.h: the tests' build of tq214 (built with
// TQ214_CAPTURES_JSON) keeps what it prints with --json and what it appends
// to a history, so that the schema check sees the JSON of the tests that run
// the program (the scripts), not only of those that run it in-process. In a
// release build it captures nothing, and the process set-up reads no
// variable for it.

#include <memory>
#include <string>
#include <vector>

#include "cli/capture/JsonCapture.h"

class ProgramCapture {
 public:
  // The environment variable that names the capture's folder, which the
  // process set-up reads; null in a release build.
  static const char* FolderVariable();
  // Before the run: the folder the variable named ("": nothing is kept), its
  // arguments and the histories it may append to.
  ProgramCapture(const std::string& folder, const std::vector<std::string>& args,
                 const std::vector<std::string>& histories);
  // Where the standard output's copy goes as it is written; null when
  // nothing is kept.
  std::string* output();
  // After the run, once its output has been written: keeps it.
  void Keep() const;

 private:
  std::unique_ptr<JsonCapture> capture_;
  std::string output_;
};
