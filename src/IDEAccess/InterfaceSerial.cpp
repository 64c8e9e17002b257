#include "IDEAccess/InterfaceSerial.h"

#include "seams/AsciiCase.h"

namespace {

constexpr char kUsbStorage[] = "usbstor#";

}  // namespace

std::string SerialOfInterfacePath(const std::string& path) {
  const std::string lower = AsciiLower(path);
  const size_t bus = lower.find(kUsbStorage);
  if (bus == std::string::npos) return "";
  // After the bus: the model part, the instance, the interface class.
  const size_t model = bus + sizeof kUsbStorage - 1;
  const size_t instance = path.find('#', model);
  if (instance == std::string::npos) return "";
  const size_t end = path.find('#', instance + 1);
  const std::string part =
      path.substr(instance + 1, end == std::string::npos ? std::string::npos : end - instance - 1);
  const size_t lun = part.rfind('&');
  if (lun == std::string::npos || lun == 0) return "";
  const std::string serial = part.substr(0, lun);
  return serial.find('&') == std::string::npos ? serial : "";
}
