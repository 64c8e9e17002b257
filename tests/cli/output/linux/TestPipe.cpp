#include "cli/output/TestPipe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/output/linux/HandleSink.h"

TestPipe::TestPipe() {
  int ends[2] = {-1, -1};
  EXPECT_EQ(0, pipe(ends));
  read_ = ends[0];
  write_ = ends[1];
}

std::unique_ptr<OutputSink> TestPipe::WritingSink() const {
  return MakeHandleSink(static_cast<int>(write_));
}

void TestPipe::CloseWriteEnd() const {
  close(static_cast<int>(write_));
}

std::string TestPipe::ReadAll() const {
  std::string all;
  char buffer[4096];
  for (ssize_t got; (got = ::read(static_cast<int>(read_), buffer, sizeof buffer)) > 0;) {
    all.append(buffer, static_cast<size_t>(got));
  }
  close(static_cast<int>(read_));
  return all;
}
