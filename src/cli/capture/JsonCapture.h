#pragma once
// For the schema check (tests/cli/json-schemas.py): when given a folder (the
// one the environment variable TQ214_JSON_CAPTURE_DIR names), each run given
// --json leaves what it printed on standard output there, and each run the
// lines it appended to an update history. The check validates every one
// against the schemas of docs/schema/. The in-process tests use it (tests/
// support/CliRun.h), and so does the tests' build of the program
// (ProgramCapture.h), each reading the variable at its start; a release
// build of tq214 knows nothing of it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class JsonCapture {
 public:
  // Before the run: where the history files it may append to end now. The
  // files kept go to `folder` ("": none is kept), named after `name`
  // ("Suite.Test", "tq214"), with a count that makes each name new.
  JsonCapture(const std::string& folder, const std::vector<std::string>& args,
              const std::vector<std::string>& histories, std::string name);
  // Whether the run's standard output is kept (given --json, and a folder).
  bool keepsOutput() const { return json_; }
  // After the run: keeps its standard output (when given --json) and what
  // it appended to each history.
  void Keep(const std::string& out) const;

 private:
  std::string folder_;  // "" when nothing is captured
  std::string name_;
  bool json_ = false;
  std::vector<std::pair<std::string, uintmax_t>> histories_;  // file, its size before
};
