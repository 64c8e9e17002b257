#include "cli/update/EnclosureUpdate.h"

#include <chrono>

#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"

EnclosureUpdateResult UpdateEnclosure(const std::string& path,
                                      const std::vector<std::string>& places,
                                      UpdateMonitor& monitor) {
  const auto start = std::chrono::steady_clock::now();
  EnclosureUpdateResult result;
  result.unflushed = FlushFileSystems(places);
  result.downloaded = UpdateFirmware(path.c_str(), &monitor);
  if (result.downloaded) {
    monitor.Configuration(0);
    result.passed = PatchConfigBlock(path.c_str());
    if (result.passed) monitor.Configuration(1);
  }
  monitor.End();
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

const char* FailureReason(const EnclosureUpdateResult& result) {
  return result.downloaded ? "the configuration block could not be written and verified"
                           : "the firmware could not be written and read back equal; the "
                             "configuration block was left as it was";
}
