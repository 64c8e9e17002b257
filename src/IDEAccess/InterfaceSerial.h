#pragma once
// The serial number in a USB mass-storage disk's interface path, as Windows
// forms it from the device instance
//   \\?\usbstor#disk&ven_V&prod_P&rev_R#<serial>&<lun>#{class}
// A device without a serial number gets an instance the system makes up,
// whose first part holds an '&' of its own ("7&2a3b4c5d&0"): then there is
// none. Other buses (UAS, 1394) carry no serial number there.

#include <string>

// The serial number, or "" when the path carries none.
std::string SerialOfInterfacePath(const std::string& path);
