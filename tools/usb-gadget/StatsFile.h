#pragma once
// The device program's findings for whoever drives it, appended to a file one
// line at a time (the file is opened per line, so it can be read at any moment):
//   download pieces=49 bytes=50176 usec=123456    a complete firmware download
//   phase-error tag=0000002a                      a CSW with status 2

#include <string>

#include "usb-gadget/BotSession.h"
#include "usb-gadget/DownloadClock.h"

class StatsFile final : public CommandObserver {
 public:
  // An empty path writes nothing.
  explicit StatsFile(std::string path);

  void OnCommand(const CommandRecord& record) override;

 private:
  void Append(const std::string& line) const;

  std::string path_;
  DownloadClock clock_;
};
