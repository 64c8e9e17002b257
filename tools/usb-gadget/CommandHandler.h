#pragma once
// What stands behind the Bulk-Only Transport: something that says what a
// command moves and then carries it out.

#include <cstdint>

#include "sim/VirtualEnclosure.h"
#include "usb-gadget/DataPhase.h"

class CommandHandler {
 public:
  virtual ~CommandHandler() = default;
  virtual DevicePlan Plan(const uint8_t* cdb, uint8_t cdbLength) = 0;
  // Data in: fills at most `length` bytes of `data`. Data out: `data` holds the
  // `length` bytes received. The reply's `transferred` never exceeds `length`.
  virtual ChipReply Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                            uint32_t length) = 0;
};
