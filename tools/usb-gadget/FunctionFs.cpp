#include "usb-gadget/FunctionFs.h"

#include <endian.h>
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "usb-gadget/UsbDescriptors.h"

namespace {

constexpr uint32_t kFallbackPacketSize = usb_desc::kHighSpeedPacket;

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  const ssize_t written = write(fd, bytes.data(), bytes.size());
  return written == static_cast<ssize_t>(bytes.size());
}

int OpenEndpoint(const std::string& path, int extraFlags) {
  return open(path.c_str(), O_RDWR | O_CLOEXEC | extraFlags);
}

void CloseIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

}  // namespace

FunctionFsFiles::~FunctionFsFiles() {
  CloseIfOpen(inHalt_);
  CloseIfOpen(outHalt_);
  CloseIfOpen(in_);
  CloseIfOpen(out_);
  CloseIfOpen(ep0_);
}

bool FunctionFsFiles::Open(const std::string& dir, std::string* error) {
  ep0_ = OpenEndpoint(dir + "/ep0", 0);
  if (ep0_ < 0) {
    *error = "cannot open " + dir + "/ep0: " + std::strerror(errno);
    return false;
  }
  if (!WriteAll(ep0_, FunctionDescriptors())) {
    *error = "FunctionFS refused the descriptors: " + std::string(std::strerror(errno));
    return false;
  }
  if (!WriteAll(ep0_, FunctionStrings())) {
    *error = "FunctionFS refused the strings: " + std::string(std::strerror(errno));
    return false;
  }
  // Endpoint files are numbered in descriptor order: bulk-in first.
  in_ = OpenEndpoint(dir + "/ep1", 0);
  out_ = OpenEndpoint(dir + "/ep2", 0);
  inHalt_ = OpenEndpoint(dir + "/ep1", O_NONBLOCK);
  outHalt_ = OpenEndpoint(dir + "/ep2", O_NONBLOCK);
  if (in_ < 0 || out_ < 0 || inHalt_ < 0 || outHalt_ < 0) {
    *error = "cannot open the bulk endpoints in " + dir + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

long FunctionFsChannel::ReceiveOut(uint8_t* data, size_t size) {
  const ssize_t got = read(files_.bulkOut(), data, size);
  return got < 0 ? -errno : static_cast<long>(got);
}

long FunctionFsChannel::SendIn(const uint8_t* data, size_t size) {
  size_t sent = 0;
  while (sent < size) {
    const ssize_t written = write(files_.bulkIn(), data + sent, size - sent);
    if (written < 0) return -errno;
    if (written == 0) return -EIO;
    sent += static_cast<size_t>(written);
  }
  return static_cast<long>(sent);
}

void FunctionFsChannel::HaltIn() {
  uint8_t byte = 0;
  // Reading the bulk-in endpoint halts it (the call then fails with EBADMSG).
  (void)!read(files_.bulkInForHalt(), &byte, 1);
}

void FunctionFsChannel::HaltOut() {
  const uint8_t byte = 0;
  // Writing the bulk-out endpoint halts it.
  (void)!write(files_.bulkOutForHalt(), &byte, 1);
}

uint32_t FunctionFsChannel::InPacketSize() {
  usb_endpoint_descriptor descriptor{};
  if (ioctl(files_.bulkIn(), FUNCTIONFS_ENDPOINT_DESC, &descriptor) != 0) {
    return kFallbackPacketSize;
  }
  const uint32_t size = le16toh(descriptor.wMaxPacketSize) & 0x7FF;
  return size == 0 ? kFallbackPacketSize : size;
}
