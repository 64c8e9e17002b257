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
// Injected faults: every download piece written at one buffer offset fails,
// as a chip whose buffer has a bad spot; one read of the configuration block
// ends its data phase early and still reports good status.

#include <cstdint>
#include <optional>

#include "sim/VirtualEnclosure.h"
#include "usb-gadget/CommandHandler.h"
#include "usb-gadget/RamDisk.h"
#include "usb-gadget/SenseState.h"
#include "usb-gadget/StandardCommands.h"

class ScsiResponder final : public CommandHandler {
 public:
  ScsiResponder(VirtualEnclosure& enclosure, RamDisk& disk);

  DevicePlan Plan(const uint8_t* cdb, uint8_t cdbLength) override;
  ChipReply Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                    uint32_t length) override;

  // Every WRITE BUFFER mode 0x0E at this buffer offset ends in CHECK CONDITION
  // with the enclosure's hardware-error sense, storing nothing.
  void FailDownloadPiecesAt(uint32_t offset) { failPieceOffset_ = offset; }
  // The `ordinal`-th read of the configuration block (1 = the first) sends
  // only its first kShortBlockBytes bytes, then a good status.
  void ShortenBlockRead(uint32_t ordinal) { shortBlockRead_ = ordinal; }
  // Each firmware piece written takes `milliseconds` before it is answered,
  // as a real chip's flash takes its time.
  void TakeTimePerPiece(uint32_t milliseconds) { pieceMs_ = milliseconds; }

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
  std::optional<uint32_t> shortBlockRead_;
  uint32_t pieceMs_ = 0;
  uint32_t blockReads_ = 0;
};

// What a shortened block read delivers: a quarter of the block.
constexpr uint32_t kShortBlockBytes = 128;
