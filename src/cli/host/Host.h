#pragma once
// The machine tq214 works on: the real one (Linux or Windows) or a simulated
// one. It gives the seams for the device work and says how its devices are
// named and where their volumes are.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "IDEAccess/InterfaceSerial.h"
#include "cli/host/DeviceEvents.h"
#include "seams/Seams.h"

class Host {
 public:
  virtual ~Host() = default;

  // The device backend, disk interfaces, volumes and resources. The shell is
  // the tool's own.
  virtual Seams seams() = 0;

  // A device as the user sees it and names it with --device: the device node
  // on Linux, the interface path elsewhere.
  virtual std::string ShownPath(const std::string& path) const = 0;
  // A --device argument in the form ShownPath gives.
  virtual std::string ResolveUserPath(const std::string& text) const { return text; }
  // Whether --device may name a raw device path ("\\.\E:",
  // "\\.\PhysicalDrive1"), also one that the disk-interface list misses.
  virtual bool TakesRawDevicePaths() const { return false; }

  // The USB serial number of the enclosure a disk is in; "" when it has none.
  // By default as the interface path carries it (Windows, a simulated
  // machine).
  virtual std::string SerialOf(const std::string& path) const {
    return SerialOfInterfacePath(path);
  }

  // The USB port the disk's enclosure is plugged into, as the system names
  // it; "" when it cannot be told. It tells a unit without a serial number
  // from another, where the system gives the disk name of one unplugged to
  // the next disk (Linux: /dev/sdb). By default the path itself: Windows
  // makes up the interface path of a disk without a serial number from its
  // port.
  virtual std::string PortOf(const std::string& path) const { return path; }

  // Where the disk's volumes are: mount points, or drive letters ("E:").
  virtual std::vector<std::string> Places(const std::string& path) = 0;
  // Their name in JSON ("mountPoints", "driveLetters") and in text.
  virtual const char* placesKey() const = 0;
  virtual const char* placesLabel() const = 0;

  // Whether an error code from the device backend means that the system
  // refused access, and the one sentence that tells the user what to do.
  virtual bool IsAccessError(uint32_t code) const = 0;
  virtual std::string AccessAdvice(uint32_t code) const = 0;

  // An error code of the system in words.
  virtual std::string ErrorText(uint32_t code) const { return "error " + std::to_string(code); }
  // What the user does with a place before unplugging the disk: "Unmount"
  // (a mount point) or "Eject" (a drive letter).
  virtual const char* detachVerb() const { return "Eject"; }

  // What tells tq214 watch that disks came or went; null on a machine whose
  // disks cannot change (a replayed session).
  virtual std::unique_ptr<DeviceEvents> Events() { return nullptr; }
};
