#pragma once
// The sense of the last command the device failed by itself (not the
// enclosure's, which the enclosure keeps). REQUEST SENSE returns it once.

#include <array>
#include <cstdint>

#include "sim/VirtualEnclosure.h"

class SenseState {
 public:
  // Records the failure and returns the CHECK CONDITION reply that reports it.
  ChipReply Fail(uint8_t key, uint8_t asc, uint8_t ascq = 0);
  void Clear() { pending_ = false; }
  bool pending() const { return pending_; }
  // Writes fixed-format sense data (at most `length` bytes), forgets it and
  // returns the reply.
  ChipReply Deliver(uint8_t* data, uint32_t length);

 private:
  bool pending_ = false;
  std::array<uint8_t, 3> codes_{};  // key, ASC, ASCQ
};
