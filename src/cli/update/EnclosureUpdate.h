#pragma once
// One enclosure's update, as `update`, `update --all` and `watch --update` run
// it: the enclosure locked and the system kept awake, its file systems
// flushed, the firmware written and read back, then the configuration block
// rewritten and verified. Everything here is the call's
// own (buffers, progress, path); what it shares with other devices' updates
// (the seams in force, the hold of stop requests) is safe across threads.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "IDEAccess/DeviceSpan.h"
#include "IDEAccess/SenseData.h"
#include "cli/update/UpdateMonitor.h"
#include "engine/FlushFileSystems.h"
#include "seams/SystemGuards.h"

// What the update was examined as: the span its examination opened, kept to
// here, and the chip information it read. The update writes only while that
// span still reaches the unit examined, and only a chip that reads as it did.
struct ExaminedUnit {
  std::shared_ptr<DeviceSpan> span;
  const std::array<uint8_t, 16>* chipInfo = nullptr;  // null: not compared
};

struct EnclosureUpdateResult {
  // Busy (another program was writing the enclosure) or refused (the lock
  // had no safe place): nothing was done.
  LockStanding lock = {LockOutcome::kTaken, ""};
  bool changed = false;  // not the unit examined any more: nothing was written
  std::vector<FlushFailure> unflushed;
  bool downloaded = false;  // the firmware was written and read back equal
  bool passed = false;      // ... and the configuration block too
  double seconds = 0;       // from the flush to the end of the block's read-back
  SenseData sense;          // what the device said when a command of it failed
};

// `held`: the enclosure's lock when it was taken already. `examined`: what
// it was examined as; its span is let go of when the update ends.
EnclosureUpdateResult UpdateEnclosure(const std::string& path,
                                      const std::vector<std::string>& places,
                                      UpdateMonitor& monitor,
                                      std::unique_ptr<SystemGuard> held = nullptr,
                                      ExaminedUnit examined = {});

// Why an update did not pass, in words.
std::string FailureReason(const EnclosureUpdateResult& result);
