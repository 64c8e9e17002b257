#include "cli/output/linux/HandleSink.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "cli/output/HandleSink.h"

namespace {

// How often a writer held back from a terminal looks whether it may write.
constexpr int kBackgroundPollMs = 50;

// True while `fd` is a terminal that stops a program of a background job
// writing to it (stty tostop) and this program is in one.
bool StopsOurWrites(int fd) {
  termios mode{};
  if (::tcgetattr(fd, &mode) != 0 || (mode.c_lflag & TOSTOP) == 0) return false;
  const pid_t foreground = ::tcgetpgrp(fd);
  return foreground > 0 && foreground != ::getpgrp();
}

void SetJobControlStop(int how) {
  sigset_t ttou;
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  pthread_sigmask(how, &ttou, nullptr);
}

class FdSink final : public OutputSink {
 public:
  explicit FdSink(int fd) : fd_(fd), terminal_(::isatty(fd) == 1) {}

  // A closed pipe (EPIPE, SIGPIPE being ignored), a full disk or any other
  // error ends the writing; an output left non-blocking by another program
  // is waited for.
  bool Write(const std::string& text) override {
    if (terminal_) WaitForTheTerminal();
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

  void WorkIsOver() override { workIsOver_ = true; }

  // The descriptor stays open, on /dev/null: nothing else takes its number.
  void Close() override {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    ::dup2(null, fd_);
    ::close(null);
  }

 private:
  // A write from a background job to a terminal set to stop it (SIGTTOU)
  // would stop the whole program, the device work with it. So SIGTTOU is
  // blocked in this thread (the kernel then neither stops the program nor
  // refuses the write), and the writer waits here while the job is in the
  // background: only the output waits. Once the work is over, it writes as
  // any program does, and the job stops until it is brought to the
  // foreground.
  void WaitForTheTerminal() {
    SetJobControlStop(SIG_BLOCK);
    while (!workIsOver_ && StopsOurWrites(fd_)) ::poll(nullptr, 0, kBackgroundPollMs);
    if (workIsOver_) SetJobControlStop(SIG_UNBLOCK);
  }

  int fd_;
  bool terminal_;
  std::atomic<bool> workIsOver_{false};
};

}  // namespace

std::unique_ptr<OutputSink> MakeHandleSink(int fd) {
  return std::make_unique<FdSink>(fd);
}

std::unique_ptr<OutputSink> MakeStandardSink(OutputPump::Stream stream) {
  return MakeHandleSink(stream == OutputPump::kErr ? STDERR_FILENO : STDOUT_FILENO);
}
