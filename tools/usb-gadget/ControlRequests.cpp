#include "usb-gadget/ControlRequests.h"

SetupPacket ParseSetup(const uint8_t* bytes) {
  const auto word = [bytes](size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
  };
  SetupPacket packet;
  packet.requestType = bytes[setup::kRequestType];
  packet.request = bytes[setup::kRequest];
  packet.value = word(setup::kValue);
  packet.index = word(setup::kIndex);
  packet.length = word(setup::kLength);
  return packet;
}

ControlAnswer AnswerControl(const SetupPacket& request, uint16_t interfaceNumber) {
  if (request.value != 0 || request.index != interfaceNumber) return ControlAnswer::kStall;
  if (request.requestType == setup::kTypeClassInterfaceIn && request.request == setup::kGetMaxLun &&
      request.length == 1) {
    return ControlAnswer::kMaxLun;
  }
  if (request.requestType == setup::kTypeClassInterfaceOut &&
      request.request == setup::kBulkOnlyReset && request.length == 0) {
    return ControlAnswer::kReset;
  }
  return ControlAnswer::kStall;
}
