#include "usbgadget/CommandLog.h"

#include <chrono>

void CommandLog::OnCommand(const CommandRecord& record) {
  ++commands_;
  if (stream_ != nullptr) {
    const CommandBlockWrapper& cbw = *record.cbw;
    std::fprintf(stream_, "cbw %08x [", cbw.tag);
    for (uint8_t i = 0; i < cbw.commandLength && i < cbw.command.size(); ++i) {
      std::fprintf(stream_, i == 0 ? "%02x" : " %02x", cbw.command[i]);
    }
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(record.completed - record.received);
    std::fprintf(stream_, "] %s %u -> status %u residue %u (%lld us)\n", cbw.dataIn ? "in" : "out",
                 cbw.dataTransferLength, static_cast<unsigned>(record.status), record.residue,
                 static_cast<long long>(micros.count()));
    std::fflush(stream_);
  }
  if (next_ != nullptr) next_->OnCommand(record);
}
