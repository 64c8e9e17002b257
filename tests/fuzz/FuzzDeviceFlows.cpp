// A TBR640 whose every answer may be the fuzzer's: for each command one byte
// says whether the virtual enclosure answers it or the fuzzer does (status,
// error, how many bytes arrived, what they are, short or long). The window's
// refresh, device information and update run against it. Beyond no crash and
// no write past a buffer (AddressSanitizer, UBSan): the window never ends in
// PASS unless the chip was sent the whole image and a whole configuration
// block patched from a whole block read, and never says "Up to date" unless
// the block it judged arrived whole.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "IDEAccess/PassThroughRecord.h"
#include "Tessaloft_main/TForm1.h"
#include "embedded/EmbeddedFirmwareImage.h"
#include "embedded/EmbeddedResources.h"
#include "engine/ConfigBlock.h"
#include "seams/Seams.h"
#include "sim/Scenarios.h"
#include "sim/VirtualMachine.h"
#include "support/VirtualShell.h"

namespace {

constexpr uint8_t kWriteBuffer = 0x3B;
constexpr uint8_t kBridgeAccess = 0xDF;
constexpr uint8_t kReadMemory = 0x10;
constexpr uint8_t kWriteMemoryMode = 0x01;
constexpr uint32_t kPiece = 1024;

uint32_t Be24(const std::vector<uint8_t>& cdb, size_t at) {
  return static_cast<uint32_t>(cdb[at] << 16 | cdb[at + 1] << 8 | cdb[at + 2]);
}

class FuzzedDevice final : public ScsiBackend {
 public:
  FuzzedDevice(VirtualMachine& machine, FuzzedDataProvider& fuzz)
      : machine_(machine), fuzz_(fuzz) {}

  BackendResult Execute(const ScsiRequest& request) override {
    const uint8_t* record = request.record;
    const std::vector<uint8_t> cdb(record + ptr::kCdb,
                                   record + ptr::kCdb + record[ptr::kCdbLength]);
    const bool dataIn = record[ptr::kDataIn] == ptr::kDataInValue;
    const uint32_t length = ptr::Get32(record, ptr::kDataTransferLength);

    BackendResult result;
    // Mostly the enclosure's own answer, so that runs get deep into the update.
    if (fuzz_.remaining_bytes() == 0 || fuzz_.ConsumeIntegral<uint8_t>() < 224) {
      result = machine_.Execute(request);
    } else {
      result.opened = fuzz_.ConsumeProbability<float>() < 0.95f;
      result.requestSucceeded = fuzz_.ConsumeBool();
      result.lastError = fuzz_.ConsumeBool() ? 0 : fuzz_.ConsumeIntegral<uint32_t>();
      request.record[ptr::kScsiStatus] = fuzz_.ConsumeBool() ? 0 : fuzz_.ConsumeIntegral<uint8_t>();
      // Short, exact or longer than asked.
      ptr::Put32(request.record, ptr::kDataTransferLength,
                 fuzz_.ConsumeIntegralInRange<uint32_t>(0, length + 16));
      if (dataIn && request.data != nullptr) {
        const std::vector<uint8_t> bytes = fuzz_.ConsumeBytes<uint8_t>(length);
        std::copy(bytes.begin(), bytes.end(), request.data);
      }
    }
    const bool good = result.opened && result.requestSucceeded && result.lastError == 0 &&
                      request.record[ptr::kScsiStatus] == 0;
    // What the chip took: writes it answered as done.
    if (!dataIn && good && length != 0 && request.data != nullptr) {
      NoteWrite(cdb, request.data, length);
    }
    if (dataIn && IsBlockRead(cdb, length)) {
      lastBlockWhole_ = good && ptr::Get32(request.record, ptr::kDataTransferLength) >= length;
      if (lastBlockWhole_) lastWholeBlock_.assign(request.data, request.data + length);
    }
    return result;
  }
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override {
    return machine_.QueryDeviceNumber(path, result);
  }
  DeviceReach reach() const override { return DeviceReach::kVirtual; }

  // Every 1024-byte piece of the image's first 0xC400 bytes was sent.
  bool SentWholeImage() const {
    for (uint32_t offset = 0; offset < kImageConfigBlockOffset; offset += kPiece) {
      const auto piece = pieces_.find(offset);
      if (piece == pieces_.end() || !std::equal(piece->second.begin(), piece->second.end(),
                                                kEmbeddedFirmwareImage + offset)) {
        return false;
      }
    }
    return true;
  }
  // The last block written is the last whole block read, patched.
  bool WrotePatchedWholeBlock() const {
    if (blocksWritten_.empty() || !patchedFromWhole_.back()) return false;
    ConfigBlock expected;
    std::copy(readBeforeWrite_.back().begin(), readBeforeWrite_.back().end(),
              expected.bytes.begin());
    ApplyTargetTexts(expected);
    return blocksWritten_.back() ==
           std::vector<uint8_t>(expected.bytes.begin(), expected.bytes.end());
  }
  bool lastBlockWhole() const { return lastBlockWhole_; }

 private:
  static bool IsBlockRead(const std::vector<uint8_t>& cdb, uint32_t length) {
    return cdb.size() == 12 && cdb[0] == kBridgeAccess && cdb[1] == kReadMemory &&
           Be24(cdb, 8) == ConfigBlockAddress && length == kConfigBlockSize;
  }

  void NoteWrite(const std::vector<uint8_t>& cdb, const uint8_t* data, uint32_t length) {
    if (cdb.size() == 10 && cdb[0] == kWriteBuffer && cdb[1] == 0x0E && length == kPiece) {
      pieces_[Be24(cdb, 3)] = std::vector<uint8_t>(data, data + length);
    }
    if (cdb.size() == 12 && cdb[0] == kBridgeAccess && cdb[1] == kWriteMemoryMode &&
        Be24(cdb, 8) == ConfigBlockAddress && length == kConfigBlockSize) {
      blocksWritten_.emplace_back(data, data + length);
      patchedFromWhole_.push_back(lastBlockWhole_);
      readBeforeWrite_.push_back(lastWholeBlock_);
    }
  }

  VirtualMachine& machine_;
  FuzzedDataProvider& fuzz_;
  std::map<uint32_t, std::vector<uint8_t>> pieces_;
  std::vector<std::vector<uint8_t>> blocksWritten_;
  std::vector<bool> patchedFromWhole_;
  std::vector<std::vector<uint8_t>> readBeforeWrite_;
  bool lastBlockWhole_ = false;
  std::vector<uint8_t> lastWholeBlock_;
};

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fuzz(data, size);
  VirtualMachine machine;
  BuildScenario("outdated", machine);
  FuzzedDevice device(machine, fuzz);
  VirtualShell shell;
  EmbeddedResources resources;
  ScopedSeams seams(Seams{&device, &shell, &machine, &machine, &resources});

  TForm1 window;
  const std::string version = window.pnl_Descript_5.text();
  const std::string upToDate = " Up to date";
  if (version.size() >= upToDate.size() &&
      version.compare(version.size() - upToDate.size(), upToDate.size(), upToDate) == 0) {
    Check(device.lastBlockWhole());
  }
  if (window.btn_Update.enabled() && window.btn_Update.visible()) {
    window.btn_UpdateClick(&window.btn_Update);
    if (window.pnl_Descript_3.text() == "PASS") {
      Check(device.SentWholeImage());
      Check(device.WrotePatchedWholeBlock());
    }
  }
  return 0;
}
