#include "cli/output/HandleSink.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

class FdSink final : public OutputSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}

  // A closed pipe (EPIPE, SIGPIPE being ignored), a full disk or any other
  // error ends the writing; an output left non-blocking by another program
  // is waited for.
  bool Write(const std::string& text) override {
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t written = ::write(fd_, text.data() + done, text.size() - done);
      if (written > 0) {
        done += static_cast<size_t>(written);
      } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        pollfd ready{fd_, POLLOUT, 0};
        ::poll(&ready, 1, -1);
      } else if (written < 0 && errno == EINTR) {
        continue;
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<OutputSink> MakeHandleSink(OutputHandle handle) {
  return std::make_unique<FdSink>(handle);
}

OutputHandle StandardHandle(OutputPump::Stream stream) {
  return stream == OutputPump::kErr ? STDERR_FILENO : STDOUT_FILENO;
}
