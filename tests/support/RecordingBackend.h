#pragma once
// A backend that records each prepared request and answers as the test says:
// for checking the transport's rules byte for byte.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "IDEAccess/PassThroughRecord.h"
#include "seams/ScsiBackend.h"

struct RecordedRequest {
  std::string path;
  OpenAccess access = OpenAccess::kReadWrite;
  ShareMode share = ShareMode::kReadWrite;
  std::array<uint8_t, ptr::kSize> record{};
  bool hadData = false;
  std::vector<uint8_t> dataOut;  // the transfer buffer as handed over
  uintptr_t recordAddress = 0;
  uintptr_t dataAddress = 0;
};

struct ScriptedAnswer {
  bool opened = true;
  bool requestSucceeded = true;
  uint32_t lastError = 0;
  uint8_t scsiStatus = 0;
  std::vector<uint8_t> dataIn;  // bytes the device delivers
  bool setTransferred = false;  // leave DataTransferLength as asked unless set
  uint32_t transferred = 0;
};

class RecordingBackend final : public ScsiBackend {
 public:
  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;

  ScriptedAnswer answer;
  StorageDeviceNumber deviceNumber;
  std::vector<RecordedRequest> requests;
};
