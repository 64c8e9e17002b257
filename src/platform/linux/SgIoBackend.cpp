#include "platform/linux/SgIoBackend.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "IDEAccess/PassThroughRecord.h"

namespace fs = std::filesystem;

namespace {

// The largest major and minor a Linux device number carries; the encoding
// reported to callers relies on them.
constexpr unsigned kMinorBits = 20;
constexpr unsigned kMajorLimit = 1u << 12;
constexpr unsigned kMinorLimit = 1u << kMinorBits;

// SG_IO reads UINT_MAX as "no time-out"; longer requests are capped below it.
constexpr uint64_t kLongestTimeoutMs = UINT_MAX - 1u;

// Where the device node's directory sits below the sysfs root.
constexpr const char kBlockNodes[] = "dev/block";
constexpr const char kCharNodes[] = "dev/char";
constexpr const char kGenericClass[] = "class/scsi_generic";

// Sysfs attributes are short; anything longer is not what is looked for.
constexpr std::streamsize kAttributeLimit = 64;

bool ReadAttribute(const fs::path& path, std::string* text) {
  std::ifstream in(path);
  if (!in) return false;
  std::string content(static_cast<size_t>(kAttributeLimit), '\0');
  in.read(content.data(), kAttributeLimit);
  content.resize(static_cast<size_t>(in.gcount()));
  if (in.bad()) return false;
  *text = std::move(content);
  return true;
}

// Reads decimal digits at text[*pos]; at least one, the value below `limit`.
bool ParseDecimal(const std::string& text, size_t* pos, unsigned limit, unsigned* value) {
  uint64_t number = 0;
  const size_t start = *pos;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9') {
    number = number * 10 + static_cast<uint64_t>(text[*pos] - '0');
    if (number >= limit) return false;
    ++*pos;
  }
  if (*pos == start) return false;
  *value = static_cast<unsigned>(number);
  return true;
}

bool OnlyLineEndRemains(const std::string& text, size_t pos) {
  return pos == text.size() || (pos + 1 == text.size() && text[pos] == '\n');
}

// A `partition` attribute: "N\n".
bool ReadNumberAttribute(const fs::path& path, unsigned* value) {
  std::string text;
  size_t pos = 0;
  return ReadAttribute(path, &text) && ParseDecimal(text, &pos, UINT_MAX, value) &&
         OnlyLineEndRemains(text, pos);
}

// A `dev` attribute: "MAJ:MIN\n".
bool ReadDevAttribute(const fs::path& path, unsigned* devMajor, unsigned* devMinor) {
  std::string text;
  size_t pos = 0;
  if (!ReadAttribute(path, &text) || !ParseDecimal(text, &pos, kMajorLimit, devMajor)) {
    return false;
  }
  if (pos >= text.size() || text[pos] != ':') return false;
  ++pos;
  return ParseDecimal(text, &pos, kMinorLimit, devMinor) && OnlyLineEndRemains(text, pos);
}

std::string NodeName(unsigned devMajor, unsigned devMinor) {
  return std::to_string(devMajor) + ":" + std::to_string(devMinor);
}

void AnswerDisk(unsigned diskMajor, unsigned diskMinor, unsigned partition,
                StorageDeviceNumber* out) {
  out->DeviceType = sgio::kDiskDeviceType;
  out->DeviceNumber = (static_cast<uint32_t>(diskMajor) << kMinorBits) | diskMinor;
  out->PartitionNumber = partition;
}

// A block node is a whole disk, or a partition whose directory sits inside
// its disk's directory.
int BlockDeviceNumber(const fs::path& root, unsigned devMajor, unsigned devMinor,
                      StorageDeviceNumber* out) {
  std::error_code error;
  const fs::path node = fs::canonical(root / kBlockNodes / NodeName(devMajor, devMinor), error);
  if (error) return ENODEV;

  const fs::path partitionFile = node / "partition";
  if (!fs::exists(partitionFile, error)) {
    if (error) return ENODEV;
    AnswerDisk(devMajor, devMinor, 0, out);
    return 0;
  }
  unsigned partition = 0;
  unsigned diskMajor = 0;
  unsigned diskMinor = 0;
  if (!ReadNumberAttribute(partitionFile, &partition) ||
      !ReadDevAttribute(node.parent_path() / "dev", &diskMajor, &diskMinor)) {
    return ENODEV;
  }
  AnswerDisk(diskMajor, diskMinor, partition, out);
  return 0;
}

// A character node counts only when it is a SCSI generic node; it stands for
// the disk its SCSI device carries.
int GenericDeviceNumber(const fs::path& root, unsigned devMajor, unsigned devMinor,
                        StorageDeviceNumber* out) {
  std::error_code error;
  const fs::path node = fs::canonical(root / kCharNodes / NodeName(devMajor, devMinor), error);
  if (error) return ENODEV;

  const fs::path member = root / kGenericClass / node.filename();
  const fs::path memberTarget = fs::canonical(member, error);
  if (error || memberTarget != node) return ENOTTY;

  // Normally one disk; the names are sorted so that the answer never depends on
  // the order the directory is listed in.
  std::vector<fs::path> disks;
  for (fs::directory_iterator it(member / "device" / "block", error), end; !error && it != end;
       it.increment(error)) {
    disks.push_back(it->path());
  }
  std::sort(disks.begin(), disks.end());
  for (const fs::path& disk : disks) {
    unsigned diskMajor = 0;
    unsigned diskMinor = 0;
    if (ReadDevAttribute(disk / "dev", &diskMajor, &diskMinor)) {
      AnswerDisk(diskMajor, diskMinor, 0, out);
      return 0;
    }
  }
  return ENODEV;
}

}  // namespace

void BuildSgIoHeader(const ScsiRequest& request, uint8_t* sense, size_t senseSize,
                     sg_io_hdr_t* hdr) {
  const uint8_t* record = request.record;
  const uint32_t length = ptr::Get32(record, ptr::kDataTransferLength);

  *hdr = sg_io_hdr_t{};
  hdr->interface_id = 'S';
  if (length == 0) {
    hdr->dxfer_direction = SG_DXFER_NONE;
  } else if (record[ptr::kDataIn] == ptr::kDataInValue) {
    hdr->dxfer_direction = SG_DXFER_FROM_DEV;
  } else {
    hdr->dxfer_direction = SG_DXFER_TO_DEV;
  }
  // The kernel reads cmd_len bytes at cmdp; never more than the record holds.
  hdr->cmd_len =
      static_cast<unsigned char>(std::min<size_t>(record[ptr::kCdbLength], ptr::kCdbCapacity));
  hdr->cmdp = request.record + ptr::kCdb;
  hdr->dxferp = request.data;
  hdr->dxfer_len = length;
  hdr->mx_sb_len = static_cast<unsigned char>(std::min<size_t>(senseSize, UCHAR_MAX));
  hdr->sbp = sense;
  const uint64_t timeoutMs = static_cast<uint64_t>(ptr::Get32(record, ptr::kTimeOutValue)) * 1000u;
  hdr->timeout = static_cast<unsigned int>(std::min(timeoutMs, kLongestTimeoutMs));
}

BackendResult ApplySgIoOutcome(const sg_io_hdr_t& hdr, int ioctlResult, int ioctlErrno,
                               uint8_t* record) {
  BackendResult result;
  result.opened = true;
  if (ioctlResult != 0) {
    // Nothing was issued, or its outcome is unknown: the header's status is
    // not to be trusted and no byte counts as moved.
    result.lastError = static_cast<uint32_t>(ioctlErrno);
    ptr::Put32(record, ptr::kDataTransferLength, 0);
    return result;
  }
  result.requestSucceeded = true;
  record[ptr::kScsiStatus] = hdr.status;

  const uint32_t asked = hdr.dxfer_len;
  uint32_t moved = asked;
  if (hdr.resid > 0) {
    const auto shortfall = static_cast<uint32_t>(hdr.resid);
    moved = shortfall >= asked ? 0 : asked - shortfall;
  }
  ptr::Put32(record, ptr::kDataTransferLength, moved);

  // The call returns success also when the host adapter or its driver gave up
  // (device gone, time-out, reset); then the status byte may still read 0. Such
  // a request did not complete, so it is reported as an I/O error and the
  // transport does not mistake it for success. Sense delivered with CHECK
  // CONDITION is a completed command: its status byte already says it failed.
  const bool driverFailed = hdr.driver_status != 0 && hdr.driver_status != sgio::kDriverSense;
  if (hdr.host_status != 0 || driverFailed) result.lastError = EIO;
  return result;
}

int DeviceNumberFromSysfs(const std::string& sysRoot, unsigned devMajor, unsigned devMinor,
                          bool isBlock, StorageDeviceNumber* out) {
  if (devMajor >= kMajorLimit || devMinor >= kMinorLimit) return ENODEV;
  const fs::path root(sysRoot);
  return isBlock ? BlockDeviceNumber(root, devMajor, devMinor, out)
                 : GenericDeviceNumber(root, devMajor, devMinor, out);
}

SgIoBackend::SgIoBackend(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

namespace {

// A descriptor kept for a span of commands.
class FdHandle final : public DeviceHandle {
 public:
  explicit FdHandle(int fd) : fd_(fd) {}
  ~FdHandle() override {
    if (fd_ >= 0) close(fd_);
  }
  FdHandle(const FdHandle&) = delete;
  FdHandle& operator=(const FdHandle&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// The disk's sequence number as sysfs tells it now for the disk `number`
// names; false when no disk has that number any more.
bool SysfsDiskSequence(const std::string& sysRoot, uint32_t number, uint64_t* sequence) {
  const fs::path disk =
      fs::path(sysRoot) / kBlockNodes / NodeName(number >> kMinorBits, number & (kMinorLimit - 1));
  std::error_code error;
  if (!fs::exists(disk, error)) return false;
  std::string text;
  // Kernels before 5.15 number no disk: the device number is all there is.
  if (!ReadAttribute(disk / "diskseq", &text)) {
    *sequence = 0;
    return true;
  }
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  *sequence = value;
  return true;
}

}  // namespace

// SG_IO needs a read-write descriptor for transfers in either direction. Linux
// has no share modes, so request.share has nothing to map to; O_EXCL would
// refuse a disk that has a mounted file system.
std::unique_ptr<DeviceHandle> SgIoBackend::OpenHandle(const char* path) {
  const int fd = path == nullptr ? -1 : open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  auto handle = std::make_unique<FdHandle>(fd);
  if (fd < 0) handle->openError = path == nullptr ? EINVAL : static_cast<uint32_t>(errno);
  return handle;
}

bool SgIoBackend::IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) {
  const int fd = static_cast<FdHandle&>(handle).fd();
  struct stat status = {};
  if (fd < 0 || fstat(fd, &status) != 0) return false;
  const bool isBlock = S_ISBLK(status.st_mode);
  if (!isBlock && !S_ISCHR(status.st_mode)) return false;
  DeviceIdentity now;
  if (DeviceNumberFromSysfs(sysRoot_, major(status.st_rdev), minor(status.st_rdev), isBlock,
                            &now.number) != 0) {
    return false;
  }
  // The sequence number the disk behind the descriptor got when it arrived,
  // against the one of the disk that has its number now: they differ once
  // another disk took its place. A generic node has no number of its own.
  uint64_t current = 0;
  if (!SysfsDiskSequence(sysRoot_, now.number.DeviceNumber, &current)) return false;
#ifdef BLKGETDISKSEQ
  if (isBlock) {
    uint64_t own = 0;
    if (ioctl(fd, BLKGETDISKSEQ, &own) == 0) {
      if (own != current) return false;
      now.sequence = own;
    }
  }
#endif
  *identity = now;
  return true;
}

BackendResult SgIoBackend::Execute(const ScsiRequest& request) {
  BackendResult result;
  if (request.path == nullptr || request.record == nullptr) {
    result.lastError = EINVAL;
    return result;
  }
  if (request.handle != nullptr && request.handle->openError != 0) {
    result.lastError = request.handle->openError;
    return result;
  }
  const int access = request.access == OpenAccess::kQueryOnly ? O_RDONLY : O_RDWR;
  const int fd = request.handle != nullptr ? static_cast<FdHandle*>(request.handle)->fd()
                                           : open(request.path, access | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.lastError = static_cast<uint32_t>(errno);
    return result;
  }

  uint8_t sense[sgio::kSenseSize] = {};
  sg_io_hdr_t hdr;
  BuildSgIoHeader(request, sense, sizeof(sense), &hdr);
  const int ioctlResult = ioctl(fd, SG_IO, &hdr);
  const int ioctlErrno = ioctlResult != 0 ? errno : 0;
  if (request.handle == nullptr) close(fd);
  BackendResult outcome = ApplySgIoOutcome(hdr, ioctlResult, ioctlErrno, request.record);
  // The kernel fetched the sense of a CHECK CONDITION by itself.
  if (ioctlResult == 0) {
    outcome.senseLength =
        static_cast<uint8_t>(std::min<size_t>({hdr.sb_len_wr, sizeof sense, sizeof outcome.sense}));
    std::memcpy(outcome.sense, sense, outcome.senseLength);
  }
  return outcome;
}

BackendResult SgIoBackend::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  BackendResult outcome;
  if (path == nullptr) {
    outcome.lastError = EINVAL;
    return outcome;
  }
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    outcome.lastError = static_cast<uint32_t>(errno);
    return outcome;
  }
  outcome.opened = true;

  struct stat status = {};
  const int statResult = fstat(fd, &status);
  const int statErrno = statResult != 0 ? errno : 0;
  close(fd);
  if (statResult != 0) {
    outcome.lastError = static_cast<uint32_t>(statErrno);
    return outcome;
  }

  const bool isBlock = S_ISBLK(status.st_mode);
  if (!isBlock && !S_ISCHR(status.st_mode)) {
    outcome.lastError = ENOTTY;
    return outcome;
  }
  StorageDeviceNumber answer;
  const int error = DeviceNumberFromSysfs(sysRoot_, major(status.st_rdev), minor(status.st_rdev),
                                          isBlock, &answer);
  if (error != 0) {
    outcome.lastError = static_cast<uint32_t>(error);
    return outcome;
  }
  outcome.requestSucceeded = true;
  *result = answer;
  return outcome;
}
