#pragma once
// A recorded device session: everything one run asked of the system at the
// seams and what the system answered, in order. The device commands are
// replayed strictly, in order; the other answers (the disk interface list,
// drive letters, device numbers, mount points, flushes) are looked up by what
// was asked.

#include <cstdint>
#include <memory>
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

// One T on the heap, owned and copied with its event, and made when first
// written: an event that never needs one costs a pointer. Read through a
// const event, a missing one reads as an empty T.
template <typename T>
class Boxed {
 public:
  Boxed() = default;
  Boxed(const Boxed& other) : value_(other.value_ ? std::make_unique<T>(*other.value_) : nullptr) {}
  Boxed(Boxed&&) noexcept = default;
  Boxed& operator=(const Boxed& other) {
    if (this != &other) value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
    return *this;
  }
  Boxed& operator=(Boxed&&) noexcept = default;
  ~Boxed() = default;

  T* operator->() {
    if (!value_) value_ = std::make_unique<T>();
    return value_.get();
  }
  const T* operator->() const { return value_ ? value_.get() : &Empty(); }
  T& operator*() { return *operator->(); }
  const T& operator*() const { return *operator->(); }

 private:
  static const T& Empty() {
    static const T kEmpty;
    return kEmpty;
  }

  std::unique_ptr<T> value_;
};

// What a command carries beyond its outcome.
struct CommandBytes {
  std::vector<uint8_t> cdb;
  std::vector<uint8_t> in;  // the data that came in, without trailing zeros
  std::string outSha256;    // of the `length` bytes sent (empty when none)
  bool outKept = false;     // `out` holds them (all but firmware pieces)
  std::vector<uint8_t> out;
  // The sense the system fetched by itself for a failed command.
  std::vector<uint8_t> sense;
};

// The answers in words: the system's directory, a disk's places.
struct AnswerTexts {
  std::string text;    // kWindowsDirectory: the directory; kPlaces: the disk as shown
  std::string serial;  // kPlaces: its enclosure's USB serial number, "" when none

  // kPlaces: where the disk's volumes are.
  std::vector<std::string> Places() const;
  void SetPlaces(const std::vector<std::string>& places);

 private:
  // Each place after its length in four bytes: as a list of strings, an
  // empty place would cost 32 bytes, ten times what it takes in a file.
  std::string places_;
};

// The many small answers of a session (a million at most) are what a file
// can hold most of for its size, so an event keeps its numbers and its path
// inline and the rest in boxes that only commands and texts have: a small
// event costs about three times the bytes it takes in the file.
struct SessionEvent {
  EventKind kind = EventKind::kCommand;

  // --- kCommand ---
  bool dataIn = false;
  ShareMode share = ShareMode::kReadWrite;
  uint8_t status = 0;
  // --- kCommand, kDeviceNumber, kInterfacesOpen ---
  bool opened = false;
  bool succeeded = false;  // not kInterfacesOpen
  // --- kInterface ---
  InterfaceStep step = InterfaceStep::kEndOfList;

  // --- kCommand ---
  uint32_t length = 0;  // bytes put on the bus
  uint32_t timeout = 0;
  uint32_t transferred = 0;
  // --- kCommand, kDeviceNumber ---
  uint32_t error = 0;
  // --- kInterface ---
  uint32_t index = 0;
  // --- kLogicalDrives, kWindowsDirectory, kDriveType, kFlush: the answer ---
  uint32_t value = 0;
  // --- kDeviceNumber (when opened and succeeded without error) ---
  StorageDeviceNumber number;
  // --- kCommand ---
  uint64_t micros = 0;  // time taken

  // The path or place asked about: the device path (command, device number,
  // interface, places), the place (flush), the root path (drive type).
  std::string path;

  Boxed<CommandBytes> command;  // kCommand
  Boxed<AnswerTexts> texts;     // kWindowsDirectory, kPlaces
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
