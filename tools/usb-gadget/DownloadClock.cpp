#include "usb-gadget/DownloadClock.h"

#include "IDEAccess/Cdb.h"
#include "sim/CommandKind.h"
#include "sim/VirtualEnclosure.h"

void DownloadClock::OnCommand(const CommandRecord& record) {
  const CommandBlockWrapper& cbw = *record.cbw;
  const uint8_t* cdb = cbw.command.data();
  if (ClassifyCdb(cdb, cbw.commandLength) != CommandKind::kWriteBufferData) return;

  const uint32_t offset = GetBe24(&cdb[cdb_buffer::kOffset]);
  const uint32_t length = GetBe24(&cdb[cdb_buffer::kLength]);
  if (offset == 0) {
    running_ = true;
    start_ = record.received;
    pieces_ = 0;
    end_ = 0;
  }
  if (!running_) return;
  if (record.status != bot::CswStatus::kPassed || offset != end_ || record.residue != 0) {
    running_ = false;
    return;
  }
  ++pieces_;
  end_ = offset + length;
  if (end_ < kActivationSize) return;

  running_ = false;
  DownloadTiming timing;
  timing.pieces = pieces_;
  timing.bytes = end_;
  timing.duration =
      std::chrono::duration_cast<std::chrono::microseconds>(record.completed - start_);
  if (report_) report_(timing);
}
