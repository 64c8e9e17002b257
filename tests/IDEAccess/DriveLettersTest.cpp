// Drive letters on the virtual machine: which volumes count as the disk's, and
// which are never opened.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "IDEAccess/DriveLetters.h"
#include "support/MachineFixture.h"

namespace {

class DriveLettersTest : public MachineTest {
 protected:
  DriveLettersTest() {
    machine.AddDisk(paths::kInternalSata, VirtualEnclosure::PlainDisk());
    machine.AddDisk(paths::kUsbEnclosure, VirtualEnclosure::Tbr640());
    machine.AddDisk(paths::kUasEnclosure, VirtualEnclosure::Tbr640());
    machine.AddVolume('C', paths::kInternalSata, 1);
  }

  std::string Letters(const char* path = paths::kUsbEnclosure) {
    std::memset(letters, '*', sizeof letters);
    FindDriveLetters(path, letters);
    return std::string(letters, strnlen(letters, sizeof letters));
  }

  bool Queried(char letter) const {
    const std::string volume = std::string("\\\\.\\") + letter + ":";
    return !machine.TraceFor(volume).empty();
  }

  char letters[kDriveLettersSize] = {};
};

TEST_F(DriveLettersTest, EveryPartitionOfTheDiskInOrder) {
  machine.AddVolume('F', paths::kUsbEnclosure, 2);
  machine.AddVolume('D', paths::kUasEnclosure, 1);
  machine.AddVolume('E', paths::kUsbEnclosure, 1, kDriveRemovable);
  EXPECT_EQ(Letters(), "EF");
  EXPECT_EQ(Letters(paths::kUasEnclosure), "D");
  EXPECT_FALSE(Queried('C')) << "the system drive is never opened";
}

TEST_F(DriveLettersTest, SystemLetterIsComparedByteForByte) {
  machine.AddVolume('E', paths::kUsbEnclosure, 1);
  machine.AddVolume('G', paths::kUsbEnclosure, 2);
  machine.SetWindowsDirectory("G:\\WINDOWS");
  EXPECT_EQ(Letters(), "E");
  EXPECT_FALSE(Queried('G'));

  machine.AddVolume('C', paths::kUsbEnclosure, 3);
  machine.SetWindowsDirectory("c:\\windows");
  EXPECT_EQ(Letters(), "CEG");
}

TEST_F(DriveLettersTest, NetworkDrivesAndUnreadableVolumesAreLeftOut) {
  machine.AddVolume('E', paths::kUsbEnclosure, 1).queryFails = true;
  machine.AddNetworkDrive('H');
  machine.AddVolume('K', paths::kUsbEnclosure, 2);
  EXPECT_EQ(Letters(), "K");
  EXPECT_FALSE(Queried('H'));
  EXPECT_TRUE(Queried('E'));
}

TEST_F(DriveLettersTest, UnreadableDiskLeavesTheFieldAlone) {
  machine.AddVolume('E', paths::kUsbEnclosure, 1);
  machine.Find(paths::kUsbEnclosure)->faults().FailEvery(CommandKind::kQueryDeviceNumber);
  Letters();
  EXPECT_EQ(std::string(letters, sizeof letters), std::string(sizeof letters, '*'));
  Letters("\\\\?\\usbstor#gone");
  EXPECT_EQ(std::string(letters, sizeof letters), std::string(sizeof letters, '*'));
  EXPECT_FALSE(Queried('E'));
}

TEST_F(DriveLettersTest, NoVolumeGivesAnEmptyText) {
  machine.AddVolume('E', paths::kUasEnclosure, 1);
  EXPECT_EQ(Letters(), "");
}

TEST_F(DriveLettersTest, SearchEndsAtTheEighteenthLetter) {
  for (char letter = 'D'; letter <= 'W'; ++letter) {  // 20 volumes
    machine.AddVolume(letter, paths::kUsbEnclosure, static_cast<uint32_t>(letter - 'C'));
  }
  EXPECT_EQ(Letters(), "DEFGHIJKLMNOPQRSTU");
  EXPECT_EQ(letters[kMaxDriveLetters], '\0');
  EXPECT_FALSE(Queried('V'));
  EXPECT_FALSE(Queried('W'));
}

// A mask with bits above Z (no system sets them) names no drive.
TEST_F(DriveLettersTest, OnlyLettersAToZAreAsked) {
  class HighBits final : public Volumes {
   public:
    explicit HighBits(Volumes& inner) : inner_(inner) {}
    uint32_t LogicalDrives() override { return inner_.LogicalDrives() | 0xFC000000u; }
    uint32_t WindowsDirectory(char* b, uint32_t s) override {
      return inner_.WindowsDirectory(b, s);
    }
    uint32_t DriveType(const char* root) override { return inner_.DriveType(root); }

   private:
    Volumes& inner_;
  } highBits(machine);
  ScopedSeams seams(Seams{&machine, &shell, &machine, &highBits});
  machine.AddVolume('Z', paths::kUsbEnclosure, 1);
  EXPECT_EQ(Letters(), "Z");
  for (const TraceEntry& entry : machine.trace()) {
    EXPECT_NE(entry.path, "\\\\.\\[:");
  }
}

}  // namespace
