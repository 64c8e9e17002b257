#pragma once
// Everything the USB device answers, by CDB:
// - the bridge's commands (as the virtual enclosure recognises them) go to the
//   enclosure unchanged;
// - INQUIRY and REQUEST SENSE in any length are the enclosure's too (its
//   identification, its sense), except that REQUEST SENSE first returns the
//   sense of a command the device failed by itself;
// - the standard commands of a disk are answered from a RamDisk;
// - anything else ends in CHECK CONDITION, ILLEGAL REQUEST, invalid opcode.
//
// An injected fault can make every download piece written at one buffer
// offset fail, as a chip whose buffer has a bad spot.

#include <cstdint>
#include <optional>

#include "sim/VirtualEnclosure.h"
#include "usbgadget/CommandHandler.h"
#include "usbgadget/RamDisk.h"
#include "usbgadget/SenseState.h"
#include "usbgadget/StandardCommands.h"

class ScsiResponder final : public CommandHandler {
 public:
  ScsiResponder(VirtualEnclosure& enclosure, RamDisk& disk);

  DevicePlan Plan(const uint8_t* cdb, uint8_t cdbLength) override;
  ChipReply Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                    uint32_t length) override;

  // Every WRITE BUFFER mode 0x0E at this buffer offset ends in CHECK CONDITION
  // with the enclosure's hardware-error sense, storing nothing.
  void FailDownloadPiecesAt(uint32_t offset) { failPieceOffset_ = offset; }

  VirtualEnclosure& enclosure() { return enclosure_; }

 private:
  ChipReply Bridge(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                   uint32_t length);
  ChipReply Inquiry(const uint8_t* cdb, uint8_t* data, uint32_t length);
  ChipReply RequestSense(const uint8_t* cdb, uint8_t* data, uint32_t length);

  VirtualEnclosure& enclosure_;
  SenseState sense_;
  StandardCommands standard_;
  std::optional<uint32_t> failPieceOffset_;
};
