#pragma once
// For the schema check (tests/cli/json-schemas.py): when the environment
// variable TQ214_JSON_CAPTURE_DIR names a folder, each in-process run given
// --json leaves what it printed on standard output there, and each run the
// lines it appended to an update history. The check validates every one
// against docs/schema/. The tests' own: tq214 knows nothing of it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class JsonCapture {
 public:
  // Before the run: where the history files it may append to end now.
  JsonCapture(const std::vector<std::string>& args, const std::vector<std::string>& histories);
  // After the run: keeps its standard output (when given --json) and what
  // it appended to each history.
  void Keep(const std::string& out) const;

 private:
  std::string folder_;  // "" when nothing is captured
  bool json_ = false;
  std::vector<std::pair<std::string, uintmax_t>> histories_;  // file, its size before
};
