// Discovery and drive letters against what this machine really has: under
// Wine, no disk sits behind a bridge and the system volume is C:.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "IDEAccess/Discovery.h"
#include "IDEAccess/DriveLetters.h"
#include "gtest/gtest.h"
#include "platform/win32/Win32DiskInterfaces.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Volumes.h"
#include "seams/Seams.h"

namespace {

class Win32DiscoveryTest : public ::testing::Test {
 protected:
  Win32DiscoveryTest() {
    Seams seams = Win32PlatformSeams();
    seams.disks = &disks_;
    seams.volumes = &volumes_;
    previous_ = InstallSeams(seams);
  }
  ~Win32DiscoveryTest() override { InstallSeams(previous_); }

  Win32DiskInterfaces disks_;
  Win32Volumes volumes_;

 private:
  Seams previous_;
};

TEST_F(Win32DiscoveryTest, InterfaceListOpensAndEndsCleanly) {
  ASSERT_TRUE(disks_.Open());
  std::string path;
  uint32_t index = 0;
  InterfaceStep step = InterfaceStep::kPath;
  for (; index < 128; ++index) {
    path.clear();
    step = disks_.Get(index, &path);
    if (step != InterfaceStep::kPath) break;
    EXPECT_FALSE(path.empty()) << index;
    std::printf("  disk interface %u: %s\n", static_cast<unsigned>(index), path.c_str());
  }
  EXPECT_EQ(step, InterfaceStep::kEndOfList);
  disks_.Close();
  EXPECT_EQ(disks_.Get(0, &path), InterfaceStep::kEndOfList) << "closed list";
  disks_.Close();  // a second close is harmless
}

TEST_F(Win32DiscoveryTest, NoBridgeDisksOnThisMachine) {
  char buffers[kPathTableEntries][kPathBufferSize];
  std::memset(buffers, '?', sizeof buffers);
  char* table[kPathTableEntries];
  for (size_t i = 0; i < kPathTableEntries; ++i) table[i] = buffers[i];
  EXPECT_EQ(EnumerateBridgeDisks(table, 1), 0);
  EXPECT_EQ(buffers[0][0], '?');
}

TEST_F(Win32DiscoveryTest, VolumeFunctionsSeeTheSystemDrive) {
  char directory[512] = {};
  ASSERT_NE(volumes_.WindowsDirectory(directory, sizeof directory), 0u);
  const char system = directory[0];
  ASSERT_TRUE(system >= 'A' && system <= 'Z') << directory;
  EXPECT_NE(volumes_.LogicalDrives() & (1u << (system - 'A')), 0u);
  const char root[] = {system, ':', '\\', '\0'};
  EXPECT_EQ(volumes_.DriveType(root), kDriveFixed);
  char tiny[2] = {'*', '*'};
  EXPECT_EQ(volumes_.WindowsDirectory(tiny, sizeof tiny), 0u);
}

TEST_F(Win32DiscoveryTest, MissingDiskMapsNoLetters) {
  char letters[kDriveLettersSize];
  std::memset(letters, '*', sizeof letters);
  FindDriveLetters(
      "\\\\?\\usbstor#disk&ven_none&prod_none#0&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", letters);
  EXPECT_EQ(std::string(letters, sizeof letters), std::string(sizeof letters, '*'));
}

}  // namespace
