// The device program: one virtual TBR640 enclosure served as a USB
// mass-storage device (Bulk-Only Transport) over FunctionFS. The session runs
// on the main thread; ep0 events and class requests on a second one.

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/VirtualEnclosure.h"
#include "usb-gadget/BotSession.h"
#include "usb-gadget/CommandFile.h"
#include "usb-gadget/CommandLog.h"
#include "usb-gadget/Ep0Loop.h"
#include "usb-gadget/FunctionFs.h"
#include "usb-gadget/GadgetOptions.h"
#include "usb-gadget/LockedHandler.h"
#include "usb-gadget/RamDisk.h"
#include "usb-gadget/ScsiResponder.h"
#include "usb-gadget/SessionSignals.h"
#include "usb-gadget/StatsFile.h"

namespace {

constexpr uint32_t kBlocksPerMiB = (1u << 20) / kRamDiskBlockSize;
// After a failed transfer that was not an interruption, before the next try.
constexpr std::chrono::milliseconds kRetryPause{10};

// Only interrupts a blocked transfer: no SA_RESTART.
void OnInterrupt(int) {}

bool InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  return sigaction(SIGUSR1, &action, nullptr) == 0;
}

bool CreateReadyFile(const std::string& path) {
  if (path.empty()) return true;
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  std::fputs("ready\n", file);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  GadgetOptions options;
  std::string error;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!ParseGadgetOptions(args, &options, &error)) {
    std::fprintf(stderr, "tq214-usb-gadget: %s\n%s", error.c_str(), kGadgetUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kGadgetUsage, stdout);
    return 0;
  }

  VirtualEnclosure enclosure = VirtualEnclosure::Tbr640();
  if (options.flipReadBack) {
    enclosure.faults().flipReadBack = true;
    enclosure.faults().flipOffset = *options.flipReadBack;
  }
  enclosure.faults().refuseReadBackAt = options.failReadBackAt;
  RamDisk disk(options.diskMiB * kBlocksPerMiB);
  ScsiResponder responder(enclosure, disk);
  if (options.failPieceAt) responder.FailDownloadPiecesAt(*options.failPieceAt);
  if (options.shortBlockRead) responder.ShortenBlockRead(*options.shortBlockRead);
  responder.TakeTimePerPiece(options.pieceMs);
  std::mutex enclosureLock;
  LockedHandler handler(responder, enclosureLock);

  StatsFile stats(options.statsFile);
  CommandFile commands(options.commandsFile, &stats);
  CommandLog log(options.verbose ? stderr : nullptr, &commands);

  if (!InstallInterruptHandler()) {
    std::fprintf(stderr, "tq214-usb-gadget: cannot install the signal handler\n");
    return 1;
  }
  FunctionFsFiles files;
  if (!files.Open(options.ffsDir, &error)) {
    std::fprintf(stderr, "tq214-usb-gadget: %s\n", error.c_str());
    return 1;
  }
  if (!CreateReadyFile(options.readyFile)) {
    std::fprintf(stderr, "tq214-usb-gadget: cannot create %s\n", options.readyFile.c_str());
    return 1;
  }

  SessionSignals signals;
  const pthread_t sessionThread = pthread_self();
  Ep0Hooks hooks;
  hooks.powerCycle = [&] {
    const std::lock_guard<std::mutex> lock(enclosureLock);
    enclosure.PowerCycle();
  };
  hooks.interruptSession = [sessionThread] { pthread_kill(sessionThread, SIGUSR1); };
  if (options.verbose) {
    hooks.log = [](const char* line) { std::fprintf(stderr, "%s\n", line); };
  }
  std::thread ep0Thread([&] {
    const int reason = RunEp0Loop(files.ep0(), signals, hooks);
    std::fprintf(stderr, "tq214-usb-gadget: ep0 closed: %s\n", std::strerror(reason));
    std::fflush(stderr);
    std::_Exit(1);
  });
  ep0Thread.detach();

  FunctionFsChannel channel(files);
  BotSession session(channel, handler, &log);
  for (;;) {
    const uint64_t generation = signals.BeginCommand();
    switch (session.ServeOne()) {
      case SessionStep::kCommandDone:
        break;
      case SessionStep::kInvalidCbw:
        signals.HoldUntilNext(generation, [&channel] {
          channel.HaltIn();
          channel.HaltOut();
        });
        break;
      case SessionStep::kPipeLost:
        if (session.lastError() != EINTR) signals.WaitForNext(generation, kRetryPause);
        break;
    }
  }
}
