#pragma once
// Progress of a firmware update, for a front end that draws a bar. The engine
// reports to an observer when it is given one and does nothing otherwise.

#include <cstdint>

enum class UpdatePhase : uint8_t {
  kWriting,    // pieces of the image written into the chip's download buffer
  kVerifying,  // pieces read back from it
};

class UpdateObserver {
 public:
  virtual ~UpdateObserver() = default;
  // `done` of `total` pieces. A piece loop first reports done 0, then once per
  // piece that went through, so counts only grow within one loop; a loop that
  // starts over (the second attempt, another try after the switch) begins
  // again with its report of 0.
  virtual void OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) = 0;
  // The download is about to send a write to the chip for the first time in
  // this attempt. From here on, an update stopped midway may leave the chip
  // unable to start.
  virtual void OnWritesBegin() {}
  // The chip information the update read before its first write. False: the
  // chip is not the one the front end examined, and nothing is written.
  virtual bool AcceptChip(const uint8_t* /*chipInfo*/, uint32_t /*length*/) { return true; }
};
