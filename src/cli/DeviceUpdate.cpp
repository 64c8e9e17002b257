#include "cli/DeviceUpdate.h"

#include <chrono>

#include "Tessaloft_main/ConfigBlock.h"
#include "Tessaloft_main/FirmwareDownload.h"

DeviceUpdateResult UpdateOneDevice(const std::string& path, const std::vector<std::string>& places,
                                   UpdateWatch& watch) {
  const auto start = std::chrono::steady_clock::now();
  DeviceUpdateResult result;
  result.unflushed = FlushFileSystems(places);
  result.downloaded = UpdateFirmware(path.c_str(), &watch);
  if (result.downloaded) {
    watch.Configuration(0);
    result.passed = PatchConfigBlock(path.c_str());
    if (result.passed) watch.Configuration(1);
  }
  watch.End();
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

const char* FailureReason(const DeviceUpdateResult& result) {
  return result.downloaded ? "the configuration block could not be written and verified"
                           : "the firmware could not be written and read back equal; the "
                             "configuration block was left as it was";
}
