#pragma once
// Where progress goes: a line or a drawing that a newer one of the same key
// may take the place of while it has not been shown yet. The program's
// standard output gives it to the output pump (PumpStreamBuf), which drops a
// drawing that a newer one overtook; elsewhere (the tests' string streams,
// output thrown away) it is written as it comes.

#include <ostream>
#include <string>

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // `text` as the newest progress under `key`, after what was written before.
  virtual void Show(const std::string& key, const std::string& text) = 0;
};

// Progress written to a stream and flushed, each drawing whole.
class StreamProgress final : public ProgressSink {
 public:
  explicit StreamProgress(std::ostream& out) : out_(out) {}
  void Show(const std::string& /*key*/, const std::string& text) override {
    out_ << text << std::flush;
  }

 private:
  std::ostream& out_;
};
