#pragma once
// Makes the virtual enclosure of the demo behave like a real one in time:
// each firmware piece written takes a while (the chip stores it in flash),
// each piece read back a little, and after a successful update the enclosure
// re-enumerates. It watches the machine's commands (SetAfterCommand) and
// reports the moments it cannot act on itself:
// - updated: the configuration block was read back after a block write that
//   followed a complete firmware download; a real enclosure restarts now.
// - vanished: the enclosure went away while a command was on its way.
// Both are reported on the thread that sent the command (during an update,
// the worker), which must not touch the window or the machine.

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "sim/VirtualMachine.h"

class EnclosurePace {
 public:
  using Report = std::function<void(const std::string& path)>;

  EnclosurePace(VirtualMachine& machine, uint32_t writePieceMs, uint32_t readPieceMs);
  // Starts watching; the machine keeps a reference to this object.
  void Install();

  Report onUpdated;
  Report onVanished;

  // What the enclosure does after one command.
  void AfterCommand(const TraceEntry& entry);

 private:
  VirtualMachine& machine_;
  uint32_t writePieceMs_;
  uint32_t readPieceMs_;
  // Enclosures whose block was written after a complete download.
  std::set<std::string> blockWritten_;
};
