#pragma once
// The pair of bulk pipes a Bulk-Only Transport session talks over. The
// FunctionFS endpoints implement it in the device program; tests script it.

#include <cstddef>
#include <cstdint>

class BulkChannel {
 public:
  virtual ~BulkChannel() = default;
  // One transfer from the bulk-out pipe of at most `size` bytes: the count
  // received (less than `size` when the host ended with a short packet), or a
  // negative errno when the pipe went away or the wait was interrupted.
  virtual long ReceiveOut(uint8_t* data, size_t size) = 0;
  // One transfer of `size` bytes on the bulk-in pipe: `size`, or a negative errno.
  virtual long SendIn(const uint8_t* data, size_t size) = 0;
  // Stalls a pipe; the host clears the stall.
  virtual void HaltIn() = 0;
  virtual void HaltOut() = 0;
  // The bulk-in pipe's packet size at the speed in use.
  virtual uint32_t InPacketSize() = 0;
};
