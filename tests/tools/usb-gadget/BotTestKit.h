#pragma once
// A scripted pair of bulk pipes and a CBW builder for the device program's
// Bulk-Only Transport tests: the host's transfers are queued in advance, and
// what the device sends, stalls and receives is recorded.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "usb-gadget/BotWire.h"
#include "usb-gadget/BulkChannel.h"

using Bytes = std::vector<uint8_t>;

class ScriptedChannel final : public BulkChannel {
 public:
  // One transfer the host sends on the bulk-out pipe.
  void HostSends(const Bytes& transfer) { out_.push_back(transfer); }

  long ReceiveOut(uint8_t* data, size_t size) override {
    if (out_.empty()) return -ESHUTDOWN;
    Bytes& next = out_.front();
    const size_t n = std::min(size, next.size());
    std::copy(next.begin(), next.begin() + static_cast<long>(n), data);
    received += n;
    if (n < next.size()) {
      next.erase(next.begin(), next.begin() + static_cast<long>(n));
    } else {
      out_.pop_front();
    }
    return static_cast<long>(n);
  }
  long SendIn(const uint8_t* data, size_t size) override {
    if (failSends) return -ESHUTDOWN;
    sent.emplace_back(data, data + size);
    events.push_back("in:" + std::to_string(size));
    return static_cast<long>(size);
  }
  void HaltIn() override { events.push_back("halt-in"); }
  void HaltOut() override { events.push_back("halt-out"); }
  uint32_t InPacketSize() override { return packetSize; }

  bool HostHasPending() const { return !out_.empty(); }
  // The device's data-in bytes: every transfer but the last (the CSW).
  Bytes DataIn() const {
    Bytes all;
    for (size_t i = 0; i + 1 < sent.size(); ++i)
      all.insert(all.end(), sent[i].begin(), sent[i].end());
    return all;
  }
  bool Halted(const char* which) const {
    return std::find(events.begin(), events.end(), which) != events.end();
  }

  std::vector<Bytes> sent;
  std::vector<std::string> events;
  size_t received = 0;
  uint32_t packetSize = 512;
  bool failSends = false;

 private:
  std::deque<Bytes> out_;
};

inline Bytes MakeCbw(uint32_t tag, uint32_t hostLength, bool dataIn,
                     std::initializer_list<uint8_t> cdb) {
  Bytes wrapper(bot::kCbwSize, 0);
  PutLe32(&wrapper[bot::cbw::kSignature], bot::kCbwSignature);
  PutLe32(&wrapper[bot::cbw::kTag], tag);
  PutLe32(&wrapper[bot::cbw::kDataTransferLength], hostLength);
  wrapper[bot::cbw::kFlags] = dataIn ? bot::kFlagDataIn : 0;
  wrapper[bot::cbw::kCommandBlockLength] = static_cast<uint8_t>(cdb.size());
  std::copy(cdb.begin(), cdb.end(), wrapper.begin() + bot::cbw::kCommandBlock);
  return wrapper;
}

struct ParsedCsw {
  uint32_t signature = 0;
  uint32_t tag = 0;
  uint32_t residue = 0;
  uint8_t status = 0xFF;
};

// The last transfer the device sent, read as a CSW.
inline ParsedCsw LastCsw(const ScriptedChannel& channel) {
  ParsedCsw csw;
  if (channel.sent.empty() || channel.sent.back().size() != bot::kCswSize) return csw;
  const Bytes& bytes = channel.sent.back();
  csw.signature = GetLe32(&bytes[bot::csw::kSignature]);
  csw.tag = GetLe32(&bytes[bot::csw::kTag]);
  csw.residue = GetLe32(&bytes[bot::csw::kDataResidue]);
  csw.status = bytes[bot::csw::kStatus];
  return csw;
}
