#include "cli/host/linux/UeventEvents.h"

#include <linux/netlink.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// The kernel's own multicast group of uevents.
constexpr uint32_t kKernelEvents = 1;
constexpr size_t kMessageSize = 8192;

}  // namespace

bool IsBlockUevent(const char* message, size_t size) {
  for (size_t at = 0; at < size;) {
    const size_t length = strnlen(message + at, size - at);
    if (std::string(message + at, length) == "SUBSYSTEM=block") return true;
    at += length + 1;
  }
  return false;
}

std::unique_ptr<DeviceEvents> UeventEvents::Open() {
  const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  if (fd < 0) return nullptr;
  sockaddr_nl address = {};
  address.nl_family = AF_NETLINK;
  address.nl_groups = kKernelEvents;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<DeviceEvents>(new UeventEvents(fd));
}

UeventEvents::~UeventEvents() {
  close(socket_);
}

bool UeventEvents::Wait(uint32_t milliseconds) {
  // The first look is the watch's start: everything present is new.
  if (first_) {
    first_ = false;
    return true;
  }
  pollfd ready = {socket_, POLLIN, 0};
  if (poll(&ready, 1, static_cast<int>(milliseconds)) <= 0) return false;
  bool block = false;
  char message[kMessageSize];
  ssize_t got = 0;
  while ((got = recv(socket_, message, sizeof message, MSG_DONTWAIT)) > 0) {
    block = block || IsBlockUevent(message, static_cast<size_t>(got));
  }
  // A burst of events overran the socket's buffer and some were lost: any of
  // them may have been a disk's, so the disks are looked at again.
  if (got < 0 && errno == ENOBUFS) return true;
  return block;
}
