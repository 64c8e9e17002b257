#pragma once
// The standard commands the device answers itself: what a kernel sends while
// a disk attaches (TEST UNIT READY, READ CAPACITY, MODE SENSE, READ, ...).
// The medium is a RamDisk; MODE SENSE returns its header alone (no pages, no
// block descriptors, not write-protected). Every other command ends in CHECK
// CONDITION with ILLEGAL REQUEST sense.

#include <cstdint>

#include "sim/VirtualEnclosure.h"
#include "usb-gadget/DataPhase.h"
#include "usb-gadget/RamDisk.h"
#include "usb-gadget/SenseState.h"

// The CDB length an opcode's group implies: 6, 10, 12 or 16; 0 for the
// vendor-specific groups, whose length only the command knows.
uint8_t CdbLengthOfGroup(uint8_t opcode);

class StandardCommands {
 public:
  StandardCommands(RamDisk& disk, SenseState& sense) : disk_(disk), sense_(sense) {}

  DevicePlan Plan(const uint8_t* cdb, uint8_t cdbLength) const;
  ChipReply Execute(const uint8_t* cdb, uint8_t cdbLength, uint8_t* data, uint32_t length);

 private:
  ChipReply ReadCapacity10(uint8_t* data, uint32_t length) const;
  ChipReply ServiceActionIn(const uint8_t* cdb, uint8_t* data, uint32_t length);
  ChipReply ModeSense(const uint8_t* cdb, bool tenByte, uint8_t* data, uint32_t length) const;
  ChipReply Transfer(const uint8_t* cdb, bool write, uint8_t* data, uint32_t length);

  RamDisk& disk_;
  SenseState& sense_;
};
