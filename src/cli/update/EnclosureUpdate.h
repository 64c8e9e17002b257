#pragma once
// One enclosure's update, as `update`, `update --all` and `watch --update` run
// it: its file systems flushed, the firmware written and read back, then the
// configuration block rewritten and verified. Everything here is the call's
// own (buffers, progress, path); what it shares with other devices' updates
// (the seams in force, the hold of stop requests) is safe across threads.

#include <string>
#include <vector>

#include "cli/update/UpdateMonitor.h"
#include "engine/FlushFileSystems.h"

struct EnclosureUpdateResult {
  std::vector<FlushFailure> unflushed;
  bool downloaded = false;  // the firmware was written and read back equal
  bool passed = false;      // ... and the configuration block too
  double seconds = 0;       // from the flush to the end of the block's read-back
};

EnclosureUpdateResult UpdateEnclosure(const std::string& path,
                                      const std::vector<std::string>& places,
                                      UpdateMonitor& monitor);

// Why an update did not pass, in words.
const char* FailureReason(const EnclosureUpdateResult& result);
