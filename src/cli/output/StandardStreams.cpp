#include "cli/output/StandardStreams.h"

#include <iostream>
#include <memory>
#include <utility>

#include "cli/output/HandleSink.h"

namespace {

// Writes to `sink` and keeps what it wrote in `copy` (the writer's thread).
class CopyingSink final : public OutputSink {
 public:
  CopyingSink(std::unique_ptr<OutputSink> sink, std::string& copy)
      : sink_(std::move(sink)), copy_(copy) {}
  bool Write(const std::string& text) override {
    if (!sink_->Write(text)) return false;
    copy_ += text;
    return true;
  }
  void WorkIsOver() override { sink_->WorkIsOver(); }
  void Close() override { sink_->Close(); }

 private:
  std::unique_ptr<OutputSink> sink_;
  std::string& copy_;
};

std::unique_ptr<OutputSink> OutSink(std::string* copy) {
  std::unique_ptr<OutputSink> sink = MakeStandardSink(OutputPump::kOut);
  if (copy == nullptr) return sink;
  return std::make_unique<CopyingSink>(std::move(sink), *copy);
}

}  // namespace

PumpedStandardStreams::PumpedStandardStreams(std::string* outCopy)
    : pump_(OutSink(outCopy), MakeStandardSink(OutputPump::kErr)),
      out_(pump_, OutputPump::kOut),
      err_(pump_, OutputPump::kErr),
      ownOut_(std::cout.rdbuf(&out_)),
      ownErr_(std::cerr.rdbuf(&err_)) {
  // Lines go to the pump whole; standard error needs no flush after each
  // piece of one.
  std::cerr.unsetf(std::ios::unitbuf);
}

PumpedStandardStreams::~PumpedStandardStreams() {
  Drain();
  std::cout.rdbuf(ownOut_);
  std::cerr.rdbuf(ownErr_);
  std::cerr.setf(std::ios::unitbuf);
}

void PumpedStandardStreams::Drain() {
  out_.PostAll();
  err_.PostAll();
  pump_.End();
}
