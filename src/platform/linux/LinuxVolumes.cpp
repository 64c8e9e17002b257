#include "platform/linux/LinuxVolumes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

uint32_t LinuxVolumes::FlushVolume(const char* place) {
  const int fd = open(place, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return static_cast<uint32_t>(errno);
  const int result = syncfs(fd);
  const int error = result != 0 ? errno : 0;
  close(fd);
  return static_cast<uint32_t>(error);
}
