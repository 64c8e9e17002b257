#include "usb-gadget/BotWire.h"

#include <algorithm>

CbwCheck ParseCbw(const uint8_t* bytes, size_t size, uint8_t maxLun, CommandBlockWrapper* out) {
  if (size != bot::kCbwSize || GetLe32(bytes + bot::cbw::kSignature) != bot::kCbwSignature) {
    return CbwCheck::kInvalid;
  }
  const uint8_t flags = bytes[bot::cbw::kFlags];
  const uint8_t lunByte = bytes[bot::cbw::kLun];
  const uint8_t lengthByte = bytes[bot::cbw::kCommandBlockLength];
  out->tag = GetLe32(bytes + bot::cbw::kTag);
  out->dataTransferLength = GetLe32(bytes + bot::cbw::kDataTransferLength);
  out->dataIn = (flags & bot::kFlagDataIn) != 0;
  out->lun = lunByte & bot::kLunMask;
  out->commandLength = lengthByte & bot::kCommandBlockLengthMask;
  std::copy(bytes + bot::cbw::kCommandBlock, bytes + bot::kCbwSize, out->command.begin());

  const bool reservedClear = (flags & ~bot::kFlagDataIn) == 0 && (lunByte & ~bot::kLunMask) == 0 &&
                             (lengthByte & ~bot::kCommandBlockLengthMask) == 0;
  const bool lengthInRange =
      out->commandLength >= 1 && out->commandLength <= bot::kCommandBlockSize;
  if (!reservedClear || !lengthInRange || out->lun > maxLun) return CbwCheck::kNotMeaningful;
  return CbwCheck::kValid;
}

std::array<uint8_t, bot::kCswSize> BuildCsw(uint32_t tag, uint32_t residue, bot::CswStatus status) {
  std::array<uint8_t, bot::kCswSize> wrapper{};
  PutLe32(&wrapper[bot::csw::kSignature], bot::kCswSignature);
  PutLe32(&wrapper[bot::csw::kTag], tag);
  PutLe32(&wrapper[bot::csw::kDataResidue], residue);
  wrapper[bot::csw::kStatus] = static_cast<uint8_t>(status);
  return wrapper;
}
