// The output pump over a pipe that nobody reads at first: posting never
// waits for the blocked writer; progress not yet written gives way to the
// newest of its key; kept text is all written, in order, unless it exceeds
// the limit, when the oldest gives way to one line saying so.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <thread>

#include "cli/output/HandleSink.h"
#include "cli/output/OutputPump.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// A pipe: the pump writes into one end; the other is read to its end.
struct Pipe {
  OutputHandle read{};
  OutputHandle write{};
#ifdef _WIN32
  Pipe() {
    CreatePipe(&read, &write, nullptr, 0);
  }
  static void Close(OutputHandle end) {
    CloseHandle(end);
  }
  size_t Read(char* buffer, size_t size) {
    DWORD got = 0;
    return ReadFile(read, buffer, static_cast<DWORD>(size), &got, nullptr) ? got : 0;
  }
#else
  Pipe() {
    int ends[2] = {-1, -1};
    EXPECT_EQ(0, pipe(ends));
    read = ends[0];
    write = ends[1];
  }
  static void Close(OutputHandle end) {
    close(end);
  }
  size_t Read(char* buffer, size_t size) {
    const ssize_t got = ::read(read, buffer, size);
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
#endif
  std::string ReadAll() {
    std::string all;
    char buffer[4096];
    for (size_t got; (got = Read(buffer, sizeof buffer)) > 0;) all.append(buffer, got);
    Close(read);
    return all;
  }
};

// The pipe's writer, which says when it has begun its first write.
class FirstWriteSeen final : public OutputSink {
 public:
  explicit FirstWriteSeen(OutputHandle handle) : sink_(MakeHandleSink(handle)) {}
  bool Write(const std::string& text) override {
    if (!seen_) {
      seen_ = true;
      begun_.set_value();
    }
    return sink_->Write(text);
  }
  std::future<void> begun() { return begun_.get_future(); }

 private:
  std::unique_ptr<OutputSink> sink_;
  bool seen_ = false;
  std::promise<void> begun_;
};

TEST(OutputPump, PostsNeverWaitForABlockedWriter) {
  // More than any pipe holds: the writer blocks in it until it is read.
  const std::string big = std::string(1 << 20, 'x') + "\n";
  struct Case {
    size_t keptLimit;
    std::string shown;  // after `big`
  };
  for (const Case& c : {Case{OutputPump::kKeptLimit, "b1\nk1\nk2\na3\ne1\n"},
                        Case{6, "b1\ntq214: 1 line was not shown\nk2\na3\ne1\n"}}) {
    Pipe pipe;
    std::string shown;
    {
      auto sink = std::make_unique<FirstWriteSeen>(pipe.write);
      std::future<void> begun = sink->begun();
      OutputPump pump(std::move(sink), MakeHandleSink(pipe.write), c.keptLimit);
      pump.Post(OutputPump::kOut, big);
      begun.wait();
      pump.Progress(OutputPump::kOut, "a", "a1\n");
      pump.Progress(OutputPump::kOut, "a", "a2\n");
      pump.Progress(OutputPump::kOut, "b", "b1\n");
      pump.Post(OutputPump::kOut, "k1\n");
      pump.Post(OutputPump::kOut, "k2\n");
      pump.Progress(OutputPump::kOut, "a", "a3\n");
      pump.Post(OutputPump::kErr, "e1\n");
      // Only now is the pipe read; the pump drains into it as it ends.
      std::thread reader([&pipe, &shown] { shown = pipe.ReadAll(); });
      pump.Drain();
      Pipe::Close(pipe.write);
      reader.join();
    }
    // Windows writes its line ends as "\r\n".
    shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
    ASSERT_EQ(big, shown.substr(0, big.size())) << c.keptLimit;
    EXPECT_EQ(c.shown, shown.substr(big.size())) << c.keptLimit;
  }
}

}  // namespace
