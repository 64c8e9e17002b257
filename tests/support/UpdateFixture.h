#pragma once
// The virtual enclosure with the firmware image among the resources, and the
// helpers the update tests share: the expected command blocks and the trace
// cut into its kinds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "embedded/EmbeddedFirmwareImage.h"
#include "embedded/EmbeddedResources.h"
#include "support/TestSeams.h"

using Bytes = std::vector<uint8_t>;

// READ BUFFER / WRITE BUFFER: buffer 0, offset and length big-endian.
inline Bytes BufferCdb(uint8_t opcode, uint8_t mode, uint32_t offset, uint32_t length) {
  return {opcode,
          mode,
          0x00,
          static_cast<uint8_t>(offset >> 16),
          static_cast<uint8_t>(offset >> 8),
          static_cast<uint8_t>(offset),
          static_cast<uint8_t>(length >> 16),
          static_cast<uint8_t>(length >> 8),
          static_cast<uint8_t>(length),
          0x00};
}
inline Bytes WritePieceCdb(uint32_t offset) {
  return BufferCdb(0x3B, 0x0E, offset, 1024);
}
inline const Bytes kDescriptorCdb = BufferCdb(0x3C, 0x03, 0, 4);
inline const Bytes kSwitchCdb = {0xDF, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFB};

// A SimTest whose resources are `chosen` (by default the compiled-in image).
class UpdateFixture : public SimTest {
 protected:
  explicit UpdateFixture(Resources* chosen = nullptr)
      : withResources_(SeamsWith(chosen ? chosen : &embedded_)) {}

  std::vector<CommandKind> Kinds() const {
    std::vector<CommandKind> kinds;
    std::transform(machine.trace().begin(), machine.trace().end(), std::back_inserter(kinds),
                   [](const TraceEntry& entry) { return entry.kind; });
    return kinds;
  }
  std::vector<TraceEntry> Only(CommandKind kind) const {
    std::vector<TraceEntry> out;
    std::copy_if(machine.trace().begin(), machine.trace().end(), std::back_inserter(out),
                 [kind](const TraceEntry& entry) { return entry.kind == kind; });
    return out;
  }
  Seams SeamsWith(Resources* resources) {
    Seams seams;
    seams.scsi = &machine;
    seams.shell = &shell;
    seams.resources = resources;
    return seams;
  }

  const uint8_t* const image = kEmbeddedFirmwareImage;

 private:
  EmbeddedResources embedded_;
  ScopedSeams withResources_;
};
