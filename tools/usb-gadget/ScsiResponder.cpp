#include "usb-gadget/ScsiResponder.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "IDEAccess/Cdb.h"
#include "sim/CommandKind.h"
#include "usb-gadget/BridgePlan.h"
#include "usb-gadget/ScsiCodes.h"

namespace {

// The enclosure's own form of INQUIRY and REQUEST SENSE: 12 bytes, the low
// byte of the length in byte 4.
Cdb12 TwelveByteForm(uint8_t opcode, uint32_t length) {
  Cdb12 cdb{};
  cdb[0] = opcode;
  cdb[cdb_inquiry::kAllocationLength] = static_cast<uint8_t>(std::min<uint32_t>(length, 0xFF));
  return cdb;
}

}  // namespace

ScsiResponder::ScsiResponder(VirtualEnclosure& enclosure, RamDisk& disk)
    : enclosure_(enclosure), standard_(disk, sense_) {}

DevicePlan ScsiResponder::Plan(const uint8_t* cdb, uint8_t cdbLength) {
  if (cdb[0] == scsi_op::kRequestSense || cdb[0] == scsi_op::kInquiry) return DataIn(kUpToHost);
  const CommandKind kind = ClassifyCdb(cdb, cdbLength);
  if (kind != CommandKind::kUnknown) return PlanBridgeCommand(kind, cdb);
  return standard_.Plan(cdb, cdbLength);
}

ChipReply ScsiResponder::Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                                 uint32_t length) {
  if (cdb[0] == scsi_op::kRequestSense) return RequestSense(cdb, data, length);
  // Any other command replaces the sense of an earlier failure.
  sense_.Clear();
  if (ClassifyCdb(cdb, cdbLength) != CommandKind::kUnknown) {
    return Bridge(cdb, cdbLength, dataIn, data, length);
  }
  if (cdb[0] == scsi_op::kInquiry) return Inquiry(cdb, data, length);
  return standard_.Execute(cdb, cdbLength, data, length);
}

ChipReply ScsiResponder::Bridge(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                                uint32_t length) {
  if (failPieceOffset_ && ClassifyCdb(cdb, cdbLength) == CommandKind::kWriteBufferData &&
      GetBe24(&cdb[cdb_buffer::kOffset]) == *failPieceOffset_) {
    enclosure_.RecordInjectedFailure();
    return {kStatusCheckCondition, 0};
  }
  if (pieceMs_ != 0 && ClassifyCdb(cdb, cdbLength) == CommandKind::kWriteBufferData) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pieceMs_));
  }
  ChipReply reply = enclosure_.Execute(cdb, cdbLength, dataIn, data, length);
  const bool blockRead = ClassifyCdb(cdb, cdbLength) == CommandKind::kReadBridgeMemory &&
                         GetBe24(&cdb[cdb_bridge::kMemoryAddress]) == kConfigBlockAddressSim;
  if (blockRead && ++blockReads_ == shortBlockRead_.value_or(0)) {
    reply.transferred = std::min(reply.transferred, kShortBlockBytes);
  }
  return reply;
}

ChipReply ScsiResponder::Inquiry(const uint8_t* cdb, uint8_t* data, uint32_t length) {
  // Only the standard data: no vital product data pages.
  if ((cdb[cdb6::kInquiryFlags] & cdb6::kInquiryVitalData) != 0 || cdb[cdb6::kInquiryPage] != 0) {
    return sense_.Fail(sense::kKeyIllegalRequest, sense::kAscInvalidFieldInCdb);
  }
  const uint32_t wanted = std::min(GetBe16(&cdb[cdb6::kInquiryAllocation]), length);
  const Cdb12 inquiry = TwelveByteForm(opcode::kInquiry, wanted);
  return enclosure_.Execute(inquiry.data(), kCdb12Length, true, data, wanted);
}

ChipReply ScsiResponder::RequestSense(const uint8_t* cdb, uint8_t* data, uint32_t length) {
  const uint32_t wanted = std::min<uint32_t>(cdb[cdb6::kSenseAllocation], length);
  if (sense_.pending()) return sense_.Deliver(data, wanted);
  const Cdb12 request = TwelveByteForm(opcode::kRequestSense, wanted);
  return enclosure_.Execute(request.data(), kCdb12Length, true, data, wanted);
}
