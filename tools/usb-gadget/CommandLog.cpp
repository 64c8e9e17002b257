#include "usb-gadget/CommandLog.h"

#include <chrono>

#include "usb-gadget/CommandFile.h"

void CommandLog::OnCommand(const CommandRecord& record) {
  ++commands_;
  if (stream_ != nullptr) {
    const CommandBlockWrapper& cbw = *record.cbw;
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(record.completed - record.received);
    std::fprintf(stream_, "cbw %08x %s %s %u -> status %u residue %u (%lld us)\n", cbw.tag,
                 CdbText(cbw).c_str(), cbw.dataIn ? "in" : "out", cbw.dataTransferLength,
                 static_cast<unsigned>(record.status), record.residue,
                 static_cast<long long>(micros.count()));
    std::fflush(stream_);
  }
  if (next_ != nullptr) next_->OnCommand(record);
}
