#pragma once
// One enclosure's update, as `update`, `update --all` and `watch --update` run
// it: its file systems flushed, the firmware written and read back, then the
// configuration block rewritten and verified. Everything here is the call's
// own (buffers, progress, path); what it shares with other devices' updates
// (the seams in force, the hold of stop requests) is safe across threads.

#include <string>
#include <vector>

#include "Tessaloft_main/FlushFileSystems.h"
#include "cli/UpdateWatch.h"

struct DeviceUpdateResult {
  std::vector<FlushFailure> unflushed;
  bool downloaded = false;  // the firmware was written and read back equal
  bool passed = false;      // ... and the configuration block too
  double seconds = 0;       // from the flush to the end of the block's read-back
};

DeviceUpdateResult UpdateOneDevice(const std::string& path, const std::vector<std::string>& places,
                                   UpdateWatch& watch);

// Why an update did not pass, in words.
const char* FailureReason(const DeviceUpdateResult& result);
