// Flushing a file system by its mount point, as the update does first.

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/linux/LinuxVolumes.h"

namespace {

TEST(LinuxVolumes, FlushesAMountedFileSystemAndSaysWhyNot) {
  LinuxVolumes volumes;
  EXPECT_EQ(0u, volumes.FlushVolume("/"));
  EXPECT_EQ(static_cast<uint32_t>(ENOENT), volumes.FlushVolume("/no/such/mount/point"));
  EXPECT_EQ(static_cast<uint32_t>(ENOTDIR), volumes.FlushVolume("/proc/self/status"));
}

}  // namespace
