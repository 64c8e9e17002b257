#pragma once
// The device side of the Bulk-Only Transport, one command at a time: receive a
// CBW, check it, move the data the host announced, answer with a CSW.
//
// - A CBW of the wrong size or signature gets no CSW: both pipes stall and the
//   caller waits for the host's reset recovery (kInvalidCbw).
// - A CBW that is not meaningful, or whose data phase contradicts the command
//   (direction, or more bytes than the host announced), is not carried out: the
//   data phase is closed (the bulk-in pipe stalls when the host expects data,
//   the host's bytes are taken and dropped when it sends some) and the CSW
//   reports a phase error (status 2), after which the host resets the device.
// - Otherwise the command runs. A reply shorter than the host asked for ends
//   with a short packet, or with a stall when it filled whole packets (so the
//   host is not left waiting); the CSW carries the residue and status 0 or 1.

#include <chrono>
#include <cstdint>
#include <vector>

#include "usb-gadget/BotWire.h"
#include "usb-gadget/BulkChannel.h"
#include "usb-gadget/CommandHandler.h"

// The only logical unit.
constexpr uint8_t kMaxLun = 0;
// The most one command's data phase keeps in memory; a host announcing more
// gets the command's own bytes and the rest as residue.
constexpr uint32_t kMaxDataPhaseBytes = 8u << 20;
// Bytes per transfer request on a pipe.
constexpr uint32_t kTransferChunkBytes = 64u << 10;
// What one CBW read asks for: more than a CBW, so that an oversized packet shows.
constexpr uint32_t kCbwReceiveBytes = 1024;

enum class SessionStep : uint8_t {
  kCommandDone,  // a CSW went out
  kInvalidCbw,   // both pipes stalled until the host's reset recovery
  kPipeLost,     // a transfer failed: detached, disabled, or interrupted by a reset
};

struct CommandRecord {
  const CommandBlockWrapper* cbw = nullptr;
  bot::CswStatus status = bot::CswStatus::kPassed;
  uint32_t residue = 0;
  std::chrono::steady_clock::time_point received;   // the CBW arrived
  std::chrono::steady_clock::time_point completed;  // the CSW went out
};

class CommandObserver {
 public:
  virtual ~CommandObserver() = default;
  virtual void OnCommand(const CommandRecord& record) = 0;
};

class BotSession {
 public:
  BotSession(BulkChannel& channel, CommandHandler& handler, CommandObserver* observer = nullptr);

  SessionStep ServeOne();
  // The errno of the transfer that ended the last kPipeLost.
  int lastError() const { return lastError_; }

 private:
  using Clock = std::chrono::steady_clock;

  SessionStep Run(const CommandBlockWrapper& cbw, DataDirection host, const DevicePlan& plan,
                  Clock::time_point received);
  // Closes the data phase without running the command and reports `status`.
  SessionStep Refuse(const CommandBlockWrapper& cbw, DataDirection host, bot::CswStatus status,
                     Clock::time_point received);
  SessionStep SendStatus(const CommandBlockWrapper& cbw, uint32_t residue, bot::CswStatus status,
                         Clock::time_point received);
  // Sends the first `count` bytes of the buffer where the host asked for `hostLength`.
  long SendData(uint32_t count, uint32_t hostLength);
  // Takes up to `hostLength` bytes from the host, keeping the first `keep` in
  // the buffer; returns how many arrived.
  long ReceiveData(uint32_t hostLength, uint32_t keep);
  SessionStep Lost(long result);

  BulkChannel& channel_;
  CommandHandler& handler_;
  CommandObserver* observer_;
  std::vector<uint8_t> buffer_;
  std::vector<uint8_t> chunk_;
  int lastError_ = 0;
};
