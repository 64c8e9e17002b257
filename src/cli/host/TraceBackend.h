#pragma once
// --trace: every device command on standard error as it completes, e.g.
//   [3b 0e 00 00 04 00 00 04 00 00] out 1024 ok
//   [df 10 00 02 00 00 00 00 00 d0 00 fa] in 512 ok (128 arrived)
// the command block in hex, the direction (in, out, or none when no data
// moves), the transfer length and the result. Wraps whichever backend is in
// force and changes nothing of what passes through. Safe from several threads:
// each line is written whole.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

#include "IDEAccess/SenseData.h"
#include "seams/WrappingBackend.h"

// One command's line, without the line end; a data-in reply of fewer than
// `length` bytes ends in "(N arrived)", a failed command whose sense the
// system fetched in ", sense ILLEGAL REQUEST, INVALID FIELD IN CDB".
std::string FormatTraceLine(const uint8_t* cdb, size_t cdbLength, bool dataIn, uint32_t length,
                            const BackendResult& result, uint8_t scsiStatus,
                            uint32_t transferred = UINT32_MAX);

// After a REQUEST SENSE's line: ": NOT READY, ..." decoded from its reply;
// "" for any other command.
std::string SenseReplyNote(const uint8_t* cdb, size_t cdbLength, const uint8_t* data,
                           uint32_t transferred);

class TraceBackend final : public WrappingBackend {
 public:
  TraceBackend(ScsiBackend& inner, std::ostream& err) : WrappingBackend(inner), err_(err) {}

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;

 private:
  std::ostream& err_;
  std::mutex lock_;
};
