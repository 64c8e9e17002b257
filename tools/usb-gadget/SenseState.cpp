#include "usb-gadget/SenseState.h"

#include <algorithm>
#include <cstring>

#include "usb-gadget/ScsiCodes.h"

ChipReply SenseState::Fail(uint8_t key, uint8_t asc, uint8_t ascq) {
  codes_ = {key, asc, ascq};
  pending_ = true;
  return {kStatusCheckCondition, 0};
}

ChipReply SenseState::Deliver(uint8_t* data, uint32_t length) {
  std::array<uint8_t, sense::kFixedSize> fixed{};
  fixed[sense::kResponseCode] = sense::kCurrentFixed;
  fixed[sense::kKey] = codes_[0];
  fixed[sense::kAdditionalLength] = sense::kFixedSize - 8;
  fixed[sense::kAsc] = codes_[1];
  fixed[sense::kAscq] = codes_[2];
  pending_ = false;
  codes_ = {};
  const uint32_t n = std::min<uint32_t>(length, sense::kFixedSize);
  if (n != 0) std::memcpy(data, fixed.data(), n);
  return {kStatusGood, n};
}
