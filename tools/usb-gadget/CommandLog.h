#pragma once
// Passes each finished command on to the next observer and, when asked,
// writes it to a stream as one line: tag, CDB, the host's data phase, status,
// residue and time from CBW to CSW.

#include <cstdio>

#include "usb-gadget/BotSession.h"

class CommandLog final : public CommandObserver {
 public:
  CommandLog(std::FILE* stream, CommandObserver* next) : stream_(stream), next_(next) {}

  void OnCommand(const CommandRecord& record) override;
  unsigned long commands() const { return commands_; }

 private:
  std::FILE* stream_;  // null: count only
  CommandObserver* next_;
  unsigned long commands_ = 0;
};
