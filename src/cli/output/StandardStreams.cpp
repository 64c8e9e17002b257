#include "cli/output/StandardStreams.h"

#include <iostream>

#include "cli/output/HandleSink.h"

PumpedStandardStreams::PumpedStandardStreams()
    : pump_(MakeHandleSink(StandardHandle(OutputPump::kOut)),
            MakeHandleSink(StandardHandle(OutputPump::kErr))),
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
