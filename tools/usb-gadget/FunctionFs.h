#pragma once
// The function's files in a FunctionFS mount: ep0 (descriptors, strings,
// events, control replies) and the two bulk endpoints, which carry the
// Bulk-Only Transport.
//
// FunctionFS halts an endpoint when it is used against its direction (a read of
// the bulk-in endpoint, a write of the bulk-out one); halts go through a second,
// non-blocking opening of each endpoint, so that a halt never waits for a
// disabled endpoint to come back.

#include <cstddef>
#include <cstdint>
#include <string>

#include "usb-gadget/BulkChannel.h"

class FunctionFsFiles {
 public:
  FunctionFsFiles() = default;
  ~FunctionFsFiles();
  FunctionFsFiles(const FunctionFsFiles&) = delete;
  FunctionFsFiles& operator=(const FunctionFsFiles&) = delete;

  // Opens ep0 in `dir`, writes the descriptors and strings, then opens the
  // bulk endpoints. False with a one-line `error` otherwise.
  bool Open(const std::string& dir, std::string* error);

  int ep0() const { return ep0_; }
  int bulkIn() const { return in_; }
  int bulkOut() const { return out_; }
  int bulkInForHalt() const { return inHalt_; }
  int bulkOutForHalt() const { return outHalt_; }

 private:
  int ep0_ = -1;
  int in_ = -1;
  int out_ = -1;
  int inHalt_ = -1;
  int outHalt_ = -1;
};

class FunctionFsChannel final : public BulkChannel {
 public:
  explicit FunctionFsChannel(const FunctionFsFiles& files) : files_(files) {}

  long ReceiveOut(uint8_t* data, size_t size) override;
  long SendIn(const uint8_t* data, size_t size) override;
  void HaltIn() override;
  void HaltOut() override;
  uint32_t InPacketSize() override;

 private:
  const FunctionFsFiles& files_;
};
