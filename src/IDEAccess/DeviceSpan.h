#pragma once
// One handle for a span of commands to one device. While a span of a path
// lives, every command the transport sends to that path, from any thread,
// goes through the handle opened when the span began and never through the
// name again: a unit that takes the name meanwhile (the system gives the name
// of a disk unplugged to the next one that arrives) receives nothing of it,
// and the commands to the unit that is gone fail. Spans of one path nest: a
// later one shares the handle of the first, so a handle taken when a unit is
// examined is the one its update uses.

#include <memory>
#include <string>

#include "seams/ScsiBackend.h"

struct SpanBinding;

class DeviceSpan {
 public:
  // Opens `path` through the backend in force, or joins the span of it that
  // is open already.
  explicit DeviceSpan(const std::string& path);
  ~DeviceSpan();
  DeviceSpan(const DeviceSpan&) = delete;
  DeviceSpan& operator=(const DeviceSpan&) = delete;

  const std::string& path() const;
  // False where the backend keeps no handles: the span binds nothing, and its
  // commands go by name as outside a span.
  bool bound() const;
  // False when the device did not open; its commands then fail as a failed
  // open does. True where nothing is bound.
  bool opened() const;
  // The open's error code when it failed.
  uint32_t openError() const;
  // What the handle stood for when it was opened (zeros where nothing is bound
  // or the system could not tell).
  const DeviceIdentity& identity() const;
  // Whether the handle still reaches the device it was opened on, asked of the
  // system without a SCSI command. True where nothing is bound, or where the
  // system could not tell what the handle stood for when it was opened: there
  // is nothing to compare.
  bool StillThere() const;

 private:
  std::shared_ptr<SpanBinding> binding_;
};

// The handle of the span in force for `path` under the backend in force, kept
// alive for as long as the caller holds it; null when there is none.
std::shared_ptr<DeviceHandle> BoundHandle(const char* path);
