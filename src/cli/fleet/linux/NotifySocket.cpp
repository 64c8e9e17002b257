#include "cli/fleet/linux/NotifySocket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace {

// Where the socket's name begins in its address.
constexpr size_t kNameOffset = offsetof(sockaddr_un, sun_path);
constexpr size_t kNameBytes = sizeof(sockaddr_un::sun_path);

}  // namespace

bool SendNotice(const std::string& socketName, const std::string& state) {
  const char* name = socketName.c_str();
  const size_t length = socketName.size();
  if (length < 2 || length > kNameBytes || (name[0] != '/' && name[0] != '@')) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, name, length);
  // An abstract name begins with a zero byte in place of the '@'.
  if (name[0] == '@') address.sun_path[0] = '\0';
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  const ssize_t sent = sendto(fd, state.data(), state.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                              reinterpret_cast<const sockaddr*>(&address),
                              static_cast<socklen_t>(kNameOffset + length));
  close(fd);
  return sent == static_cast<ssize_t>(state.size());
}
