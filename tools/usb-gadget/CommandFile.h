#pragma once
// Every command the host sent, appended to a file as one line: the CDB in hex,
// the host's data direction and the length it announced, e.g.
//   [12 00 00 00 24 00] in 36
// No tag, time or result: two programs that sent the same commands leave the
// same lines. The file is opened per line, so whoever drives the device can
// empty it between runs.

#include <string>

#include "usb-gadget/BotSession.h"

// "[12 00 00 00 24 00]": the command block as the CBW gives it.
std::string CdbText(const CommandBlockWrapper& cbw);

// "[12 00 00 00 24 00] in 36"; a command without data phase ends "none 0".
std::string CommandLine(const CommandBlockWrapper& cbw);

class CommandFile final : public CommandObserver {
 public:
  // An empty path writes nothing; each command is passed on to `next`.
  CommandFile(std::string path, CommandObserver* next);

  void OnCommand(const CommandRecord& record) override;

 private:
  std::string path_;
  CommandObserver* next_;
};
