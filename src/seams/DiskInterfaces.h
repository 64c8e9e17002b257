#pragma once
// The seam to the system's list of present disk device interfaces (Windows:
// the device-installation functions on the disk interface class).

#include <cstdint>
#include <string>

enum class InterfaceStep : uint8_t {
  kPath,          // `path` holds interface `index`'s device path
  kEndOfList,     // no interface at `index` (or the enumeration call failed)
  kDetailFailed,  // the interface exists but its detail could not be read
};

class DiskInterfaces {
 public:
  virtual ~DiskInterfaces() = default;

  // Creates the list of present disk interfaces; false when it cannot be had.
  virtual bool Open() = 0;
  // Interface `index` of the open list, in the system's order.
  virtual InterfaceStep Get(uint32_t index, std::string* path) = 0;
  // Releases the list (also after a failed Get).
  virtual void Close() = 0;
};
