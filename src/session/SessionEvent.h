#pragma once
// A recorded device session: everything one run asked of the system at the
// seams and what the system answered, in order. The device commands are
// replayed strictly, in order; the other answers (the disk interface list,
// drive letters, device numbers, mount points, flushes) are looked up by what
// was asked.

#include <cstdint>
#include <string>
#include <vector>

#include "seams/DiskInterfaces.h"
#include "seams/ScsiBackend.h"
#include "seams/StorageDeviceNumber.h"

enum class EventKind : uint8_t {
  kCommand,           // one pass-through request
  kDeviceNumber,      // which physical device a path is
  kInterfacesOpen,    // the disk interface list was asked for
  kInterface,         // one entry of it
  kLogicalDrives,     // the drive-letter mask
  kWindowsDirectory,  // the system's directory
  kDriveType,         // a root path's drive type
  kFlush,             // a file system flushed
  kPlaces,            // tq214: where a disk's volumes are, and its name shown
};

struct SessionEvent {
  EventKind kind = EventKind::kCommand;
  // The path or place asked about: the device path (command, device number,
  // interface, places), the place (flush), the root path (drive type).
  std::string path;

  // --- kCommand ---
  std::vector<uint8_t> cdb;
  bool dataIn = false;
  uint32_t length = 0;  // bytes put on the bus
  uint32_t timeout = 0;
  ShareMode share = ShareMode::kReadWrite;
  bool opened = false;
  bool succeeded = false;
  uint32_t error = 0;
  uint8_t status = 0;
  uint32_t transferred = 0;
  std::vector<uint8_t> in;  // the data that came in, without trailing zeros
  std::string outSha256;    // of the `length` bytes sent (empty when none)
  bool outKept = false;     // `out` holds them (all but firmware pieces)
  std::vector<uint8_t> out;
  uint64_t micros = 0;  // time taken

  // --- kDeviceNumber (opened, succeeded, error as above) ---
  StorageDeviceNumber number;

  // --- kInterfacesOpen (opened), kInterface ---
  uint32_t index = 0;
  InterfaceStep step = InterfaceStep::kEndOfList;

  // --- kLogicalDrives, kWindowsDirectory, kDriveType, kFlush: the answer ---
  uint32_t value = 0;
  std::string text;  // kWindowsDirectory

  // --- kPlaces ---
  std::string shown;
  std::vector<std::string> places;
};

// What a session file says about the run it holds.
struct SessionHeader {
  int format = 0;
  std::string program;  // "tq214", "Tessaloft_Orvexa_TQ-214", ...
  std::string version;  // the program's
  std::string firmwareVersion;
  std::string firmwareKind;
  std::string firmwareSha256;
  std::string system;     // the host system, in words
  std::string placesKey;  // "mountPoints" or "driveLetters"
  std::string started;    // UTC, ISO 8601
  std::vector<std::string> arguments;
};

struct Session {
  SessionHeader header;
  std::vector<SessionEvent> events;
};
