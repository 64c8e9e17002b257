#include "cli/update/ReconnectAdvice.h"

#include <algorithm>

#include "cli/text/DeviceText.h"
#include "cli/text/Enumeration.h"

std::string ReconnectAdvice(const Host& host, const std::vector<std::string>& places) {
  if (places.empty()) return "Reconnect the enclosure to start the new firmware.";
  std::vector<std::string> shown(places.size());
  std::transform(places.begin(), places.end(), shown.begin(), EscapeDeviceText);
  return std::string(host.detachVerb()) + " " + Enumeration(shown) +
         ", then reconnect the enclosure to start the new firmware.";
}
