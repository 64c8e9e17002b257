#include "usb-gadget/BotSession.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

BotSession::BotSession(BulkChannel& channel, CommandHandler& handler, CommandObserver* observer)
    : channel_(channel),
      handler_(handler),
      observer_(observer),
      buffer_(1),
      chunk_(kTransferChunkBytes) {}

SessionStep BotSession::ServeOne() {
  std::vector<uint8_t>& packet = chunk_;
  const long got = channel_.ReceiveOut(packet.data(), kCbwReceiveBytes);
  if (got < 0) return Lost(got);
  const Clock::time_point received = Clock::now();

  CommandBlockWrapper cbw;
  const CbwCheck check = ParseCbw(packet.data(), static_cast<size_t>(got), kMaxLun, &cbw);
  if (check == CbwCheck::kInvalid) {
    channel_.HaltIn();
    channel_.HaltOut();
    return SessionStep::kInvalidCbw;
  }
  const DataDirection host = HostDirection(cbw.dataIn, cbw.dataTransferLength);
  if (check == CbwCheck::kNotMeaningful) {
    return Refuse(cbw, host, bot::CswStatus::kPhaseError, received);
  }
  const DevicePlan plan = handler_.Plan(cbw.command.data(), cbw.commandLength);
  if (DecidePhase(host, cbw.dataTransferLength, plan) == PhaseVerdict::kPhaseError) {
    return Refuse(cbw, host, bot::CswStatus::kPhaseError, received);
  }
  return Run(cbw, host, plan, received);
}

SessionStep BotSession::Run(const CommandBlockWrapper& cbw, DataDirection host,
                            const DevicePlan& plan, Clock::time_point received) {
  const uint32_t hostLength = cbw.dataTransferLength;
  const uint8_t* cdb = cbw.command.data();
  const bool moves = plan.direction != DataDirection::kNone;
  ChipReply reply;
  uint32_t residue = 0;

  if (host == DataDirection::kIn) {
    const uint32_t room = moves ? std::min(hostLength, kMaxDataPhaseBytes) : 0;
    buffer_.assign(std::max<uint32_t>(room, 1), 0);
    reply = handler_.Execute(cdb, cbw.commandLength, true, buffer_.data(), room);
    const uint32_t sent = std::min(reply.transferred, room);
    const long result = SendData(sent, hostLength);
    if (result < 0) return Lost(result);
    residue = hostLength - sent;
  } else if (host == DataDirection::kOut) {
    const uint32_t keep = moves ? std::min(hostLength, kMaxDataPhaseBytes) : 0;
    const long arrived = ReceiveData(hostLength, keep);
    if (arrived < 0) return Lost(arrived);
    const uint32_t usable = std::min(static_cast<uint32_t>(arrived), keep);
    reply = handler_.Execute(cdb, cbw.commandLength, false, buffer_.data(), usable);
    residue = hostLength - std::min(reply.transferred, usable);
  } else {
    buffer_.assign(1, 0);
    reply = handler_.Execute(cdb, cbw.commandLength, plan.direction != DataDirection::kOut,
                             buffer_.data(), 0);
  }
  const bot::CswStatus status =
      reply.status == kStatusGood ? bot::CswStatus::kPassed : bot::CswStatus::kFailed;
  return SendStatus(cbw, residue, status, received);
}

SessionStep BotSession::Refuse(const CommandBlockWrapper& cbw, DataDirection host,
                               bot::CswStatus status, Clock::time_point received) {
  if (host == DataDirection::kIn) {
    channel_.HaltIn();
  } else if (host == DataDirection::kOut) {
    const long arrived = ReceiveData(cbw.dataTransferLength, 0);
    if (arrived < 0) return Lost(arrived);
  }
  return SendStatus(cbw, cbw.dataTransferLength, status, received);
}

SessionStep BotSession::SendStatus(const CommandBlockWrapper& cbw, uint32_t residue,
                                   bot::CswStatus status, Clock::time_point received) {
  const std::array<uint8_t, bot::kCswSize> wrapper = BuildCsw(cbw.tag, residue, status);
  const long result = channel_.SendIn(wrapper.data(), wrapper.size());
  if (result < 0) return Lost(result);
  if (observer_) {
    CommandRecord record;
    record.cbw = &cbw;
    record.status = status;
    record.residue = residue;
    record.received = received;
    record.completed = Clock::now();
    observer_->OnCommand(record);
  }
  return SessionStep::kCommandDone;
}

long BotSession::SendData(uint32_t count, uint32_t hostLength) {
  uint32_t offset = 0;
  while (offset < count) {
    const uint32_t size = std::min(kTransferChunkBytes, count - offset);
    const long result = channel_.SendIn(buffer_.data() + offset, size);
    if (result < 0) return result;
    offset += size;
  }
  // A short last packet tells the host the reply is over; after whole packets
  // (or none) only a stall does.
  if (count < hostLength) {
    const uint32_t packet = std::max<uint32_t>(channel_.InPacketSize(), 1);
    if (count % packet == 0) channel_.HaltIn();
  }
  return static_cast<long>(count);
}

long BotSession::ReceiveData(uint32_t hostLength, uint32_t keep) {
  buffer_.assign(std::max<uint32_t>(keep, 1), 0);
  uint32_t arrived = 0;
  while (arrived < hostLength) {
    const uint32_t wanted = std::min(kTransferChunkBytes, hostLength - arrived);
    const long got = channel_.ReceiveOut(chunk_.data(), wanted);
    if (got < 0) return got;
    const uint32_t size = std::min(static_cast<uint32_t>(got), wanted);
    if (arrived < keep) {
      const uint32_t kept = std::min(size, keep - arrived);
      std::memcpy(buffer_.data() + arrived, chunk_.data(), kept);
    }
    arrived += size;
    if (size < wanted) break;  // the host ended with a short packet
  }
  return static_cast<long>(arrived);
}

SessionStep BotSession::Lost(long result) {
  lastError_ = result < 0 ? static_cast<int>(-result) : EIO;
  return SessionStep::kPipeLost;
}
