#pragma once
// A simulated enclosure: a bridge chip of the vendor's families (by default a
// TBR640) in front of a disk, answering the bridge's command set in memory.
//
// How the model works where the real chip's inner working is unknown:
// - Every command the chip does not answer (see `answers`), every malformed
//   CDB and every access outside its memories ends in CHECK CONDITION (status
//   2) with ILLEGAL REQUEST sense, which the next REQUEST SENSE returns and
//   clears. Nothing else changes then.
// - Data-in commands move min(requested, reply size) bytes.
// - Bridge memory is 64 KiB (addresses 0x0000-0xFFFF); the configuration block
//   lies at 0xD000. Registers are a separate 64 KiB space; 0xFDB0 holds the
//   revision register. Writes with mode 1 store data; mode 3 with no data is
//   the switch from internal code to firmware, honoured once a ROM was loaded.
// - The download buffer (buffer 0) is 64 KiB of storage whose reported
//   capacity and offset boundary come from the descriptor fields below. While
//   the chip runs its firmware, WRITE BUFFER mode 0x0E stores pieces at offsets
//   that are multiples of 2^boundary; READ BUFFER mode 1 reads them back. While
//   it runs its internal code (descriptor 0xFF, chip information byte 6 = 0),
//   only WRITE BUFFER mode 0x06 with the whole ROM (0xC400 bytes at offset 0)
//   is taken. Pieces are saved, not activated: the firmware version does not
//   change until PowerCycle() and the model never activates by itself.
// - The chip keeps its own header in buffer offsets 0x200-0x3FF: whenever the
//   piece at offset 0 arrives it overwrites that range with its stamp, so a
//   read-back differs from the image there (which is why the update's compare
//   leaves that range out).
// - PowerCycle() activates a complete download (every byte up to 0xC400
//   written since the last power cycle): the chip then reports the version
//   found at image offset 0x10-0x13 (kImageVersionOffset), which is where the
//   repository's stand-in image keeps it.
// - Buffer 1 is a separate read-only area for READ BUFFER with buffer id 1.
// - The status byte reports busy (bit 0) for `faults.busyReads` reads.
// - Bridge(family, route) builds a chip of another family that makes itself
//   known to identification by one route only (IdRoute below). It starts as
//   the TBR640 (same memories, chip information answered, so discovery finds
//   it) and then goes quiet on every other route: INQUIRY bytes 36-39 are zero,
//   the id string and the vendor block are not answered, buffer 1 is absent,
//   and the revision register (0xFDB0, byte 1) reads 0. Its chip information
//   carries the family's id, revision character '1' and the USB IDs 0x6B21 /
//   0x0600 + family.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/CommandKind.h"

// How an injected failure shows on the transport.
enum class FailureStyle : uint8_t {
  kCheckCondition,  // SCSI status 2, nothing moved
  kIoError,         // the request itself fails with a device I/O error
  kShortData,       // data-in: half the reply arrives, then status 2
  kShortGood,       // data-in: `shortLength` bytes arrive, then status 0 (good)
};

struct Faults {
  // Transport level.
  uint32_t openError = 0;          // non-zero: every open fails with this code
  uint32_t failCommandNumber = 0;  // 1-based count of commands to this device; 0 = none
  uint32_t failFirstCommands = 0;  // the first n commands fail: a bridge still busy after plug-in
  std::array<bool, kCommandKindCount> failKind{};  // every command of a kind fails
  FailureStyle style = FailureStyle::kCheckCondition;
  uint32_t shortLength = 0;          // kShortGood: the bytes that arrive
  uint32_t vanishAfterCommands = 0;  // gone (opens fail) after this many; 0 = never
  uint32_t vanishAtWritePiece = 0;   // unplugged during the k-th WRITE BUFFER piece
  uint32_t failWritePiecesFrom = 0;  // the k-th WRITE BUFFER piece and every later one fail
  // Chip level.
  uint32_t busyReads = 0;           // the next n status reads report busy
  bool ignoreMemoryWrites = false;  // bridge memory writes succeed but store nothing
  bool ignoreBufferWrites = false;  // WRITE BUFFER succeeds but stores nothing
  bool wrongSignature = false;      // chip information lacks 0xF4 0xE7
  bool flipReadBack = false;        // READ BUFFER data flips one byte
  uint32_t flipOffset = 0;          // ... at this buffer offset
  uint32_t flipReadBackPasses = 0;  // ... for this many passes over it; 0 = always
  // READ BUFFER of download data that covers this buffer offset ends in CHECK
  // CONDITION, ILLEGAL REQUEST, INVALID FIELD IN CDB: a refusal a host's SCSI
  // layer passes on at once, where it retries a HARDWARE ERROR.
  std::optional<uint32_t> refuseReadBackAt;
  bool keepOldFirmware = false;  // a power cycle does not start the download

  void FailEvery(CommandKind kind) { failKind[static_cast<int>(kind)] = true; }
  bool Fails(CommandKind kind) const { return failKind[static_cast<int>(kind)]; }
};

struct ChipReply {
  uint8_t status = 0;        // SCSI status: 0 good, 2 check condition
  uint32_t transferred = 0;  // bytes moved
};

constexpr uint8_t kStatusGood = 0x00;
constexpr uint8_t kStatusCheckCondition = 0x02;

constexpr uint32_t kBridgeMemorySize = 0x10000;
constexpr uint32_t kRegisterSpaceSize = 0x10000;
constexpr uint32_t kDownloadStorageSize = 0x10000;
constexpr uint32_t kConfigBlockAddressSim = 0xD000;
constexpr uint32_t kConfigBlockSizeSim = 512;
constexpr uint32_t kRomSize = 0xC400;
constexpr uint8_t kBoundaryFirmware = 0x0A;
constexpr uint8_t kBoundaryInternalCode = 0xFF;
constexpr uint32_t kImageVersionOffset = 0x10;
constexpr uint32_t kChipHeaderOffset = 0x200;
constexpr uint32_t kChipHeaderSize = 0x200;
constexpr uint32_t kActivationSize = 0xC400;

// The one way a chip built by VirtualEnclosure::Bridge names its family.
enum class IdRoute : uint8_t {
  // INQUIRY bytes 36-39: the marker and the family's id.
  kInquiry,
  // Families 33-36: chip information without its signature and the register
  // word {(family - 33) << 5, 0}.
  kRegisterWord,
  // A signed chip information reply with the family's id; for family 37 the
  // USB IDs 0x3A71 / 0x7C04.
  kChipInfo,
  // GetChipInfo is not answered; GetChipInfoAlt carries the family's id.
  kChipInfoAlt,
  // No register word; buffer 1 (exponent 4, 16 bytes) holds a three-digit id
  // in BCD at bytes 4-5, any other id as text at 3-5.
  kReadBuffer,
  // Nothing in the first stage (no register word, no buffer 1); the id string
  // is the family's second-stage string with byte 5 = 2 ('2', or 0x02 for
  // family 32) where the string leaves byte 5 free ("-2" after family 7's).
  kIdString,
  // INQUIRY names family 12 and the vendor block answers: 28.
  kVendorBlock,
  // INQUIRY names family 12, no vendor block, and the revision register reads
  // 180: 12 with revision 5.
  kRevisionRegister,
};

class VirtualEnclosure {
 public:
  // What the chip reports about itself. Defaults describe an outdated TBR640.
  struct Identity {
    std::array<uint8_t, 40> inquiry{};   // standard data; bytes 36-39 marker + family id
    std::array<uint8_t, 16> chipInfo{};  // signature, VID/PID, byte 6, family, version
    std::array<uint8_t, 16> chipInfoAlt{};
    std::array<uint8_t, 2> bridgeWord{};
    std::array<uint8_t, 4> flashIndex{};
    std::array<uint8_t, 40> idString{};
    std::vector<uint8_t> buffer1;  // READ BUFFER buffer 1 data
    uint8_t buffer1Exponent = 0;   // its descriptor byte 0
  };

  // The TBR640 of a customer enclosure, running firmware 21.32.0.1.
  static VirtualEnclosure Tbr640();
  // A disk that answers no command at all.
  static VirtualEnclosure SilentDisk();
  // A disk without a bridge of the vendor: it answers INQUIRY only.
  static VirtualEnclosure PlainDisk();
  // A bridge of `family` (1 to 37) that names it by `route` alone.
  static VirtualEnclosure Bridge(uint8_t family, IdRoute route);

  ChipReply Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                    uint32_t length);

  // Which commands the chip answers at all.
  void SetAnswers(CommandKind kind, bool answers) { answers_[static_cast<int>(kind)] = answers; }
  bool Answers(CommandKind kind) const { return answers_[static_cast<int>(kind)]; }

  Identity& identity() { return identity_; }
  Faults& faults() { return faults_; }
  const Faults& faults() const { return faults_; }

  uint8_t* memory() { return memory_.data(); }
  uint8_t* registers() { return registers_.data(); }
  uint8_t* downloadBuffer() { return download_.data(); }

  // The chip information reply's version bytes 12-15.
  void SetFirmwareVersion(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
  // The download buffer as the descriptor reports it.
  void SetDescriptor(uint8_t boundary, uint32_t capacity);
  uint8_t boundary() const { return boundary_; }
  uint32_t capacity() const { return capacity_; }
  // Internal code: descriptor 0xFF with 0xC400, chip information byte 6 = 0.
  void SetRunningInternalCode(bool internal);
  bool runningInternalCode() const { return internalCode_; }
  bool romLoaded() const { return romLoaded_; }

  // The highest piece offset + 1 written by WRITE BUFFER mode 0x0E since the
  // last power cycle, and how many pieces were stored.
  uint32_t downloadedBytes() const { return downloadedBytes_; }
  uint32_t downloadPieces() const { return downloadPieces_; }

  // Re-attachment: the chip restarts, activating a complete download. Saved
  // pieces stay in the buffer.
  void PowerCycle();

  // An injected failure: the sense the next REQUEST SENSE returns.
  void RecordInjectedFailure();

 private:
  VirtualEnclosure();

  ChipReply CheckCondition(uint8_t key, uint8_t asc, uint8_t ascq = 0);
  ChipReply Reply(const uint8_t* source, uint32_t size, uint8_t* data, uint32_t length);
  ChipReply RequestSense(uint8_t* data, uint32_t length);
  ChipReply ChipInformation(const std::array<uint8_t, 16>& info, uint8_t* data, uint32_t length);
  ChipReply StatusByte(uint8_t* data, uint32_t length);
  ChipReply ReadBufferDescriptor(const uint8_t* cdb, uint8_t* data, uint32_t length);
  ChipReply ReadBufferData(const uint8_t* cdb, uint8_t* data, uint32_t length);
  ChipReply WriteBufferData(const uint8_t* cdb, const uint8_t* data, uint32_t length);
  ChipReply WriteBufferRom(const uint8_t* cdb, const uint8_t* data, uint32_t length);
  ChipReply ReadMemory(const uint8_t* cdb, uint8_t* data, uint32_t length);
  ChipReply WriteMemory(const uint8_t* cdb, const uint8_t* data, uint32_t length);
  ChipReply ReadRegister(const uint8_t* cdb, uint8_t* data, uint32_t length);
  ChipReply VendorBlock(uint8_t* data, uint32_t length);
  void StampHeader();

  Identity identity_;
  Faults faults_;
  std::array<bool, kCommandKindCount> answers_{};
  std::vector<uint8_t> memory_;
  std::vector<uint8_t> registers_;
  std::vector<uint8_t> download_;
  uint8_t boundary_ = kBoundaryFirmware;
  uint32_t capacity_ = 0xC400;
  bool internalCode_ = false;
  bool romLoaded_ = false;
  uint32_t downloadedBytes_ = 0;
  uint32_t downloadPieces_ = 0;
  uint32_t downloadCoverage_ = 0;  // bytes from 0 written without a gap
  uint32_t readBackPasses_ = 0;
  std::array<uint8_t, 3> sense_{};  // key, ASC, ASCQ of the last failure
};
