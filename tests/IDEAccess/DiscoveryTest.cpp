// Discovery on the virtual machine: which interfaces pass the bus filter, which
// probes each disk receives, and the path table's limits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IDEAccess/Discovery.h"
#include "support/MachineFixture.h"

namespace {

using Kinds = std::vector<CommandKind>;

std::string UsbPath(int serial) {
  return "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#" +
         std::to_string(1000 + serial) + "&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

class DiscoveryTest : public MachineTest {
 protected:
  DiscoveryTest() {
    for (size_t i = 0; i < kPathTableEntries; ++i) {
      buffers_[i].assign(kPathBufferSize, '?');  // exactly the size: ASan sees overruns
      table_[i] = buffers_[i].data();
    }
  }

  // The stored paths; the list must have been closed again.
  std::vector<std::string> Enumerate(uint8_t include1394 = 1) {
    const int count = EnumerateBridgeDisks(table_, include1394);
    EXPECT_EQ(machine.interfaceListOpens(), machine.interfaceListCloses());
    EXPECT_FALSE(machine.interfaceListOpen());
    return std::vector<std::string>(table_, table_ + count);
  }

 private:
  std::vector<char> buffers_[kPathTableEntries];
  char* table_[kPathTableEntries] = {};
};

TEST_F(DiscoveryTest, NoListOrNoDisksGivesNothing) {
  EXPECT_TRUE(Enumerate().empty());
  machine.AddDisk(paths::kUsbEnclosure, VirtualEnclosure::Tbr640());
  machine.SetInterfaceListAvailable(false);
  EXPECT_TRUE(Enumerate().empty());
  EXPECT_TRUE(machine.trace().empty());
}

// Every disk here is a working bridge: only the bus words decide.
TEST_F(DiscoveryTest, BusWordsAreCaseSensitiveAndFirewireIsOptional) {
  for (const char* path : {paths::kInternalSata, paths::kUasEnclosure, paths::kFirewireDisk,
                           paths::kUpperCaseUsb, paths::kUsbEnclosure}) {
    machine.AddDisk(path, VirtualEnclosure::Tbr640());
  }
  EXPECT_EQ(Enumerate(0), (std::vector<std::string>{paths::kUasEnclosure, paths::kUsbEnclosure}));
  EXPECT_TRUE(machine.TraceFor(paths::kFirewireDisk).empty());

  EXPECT_EQ(Enumerate(1), (std::vector<std::string>{paths::kUasEnclosure, paths::kFirewireDisk,
                                                    paths::kUsbEnclosure}));
  EXPECT_TRUE(machine.TraceFor(paths::kInternalSata).empty());
  EXPECT_TRUE(machine.TraceFor(paths::kUpperCaseUsb).empty());
}

TEST_F(DiscoveryTest, RegisterWordIsAskedOnlyWhenTheFirstProbeFails) {
  machine.AddDisk(UsbPath(1), VirtualEnclosure::Tbr640());
  machine.AddDisk(UsbPath(2), VirtualEnclosure::Tbr640()).SetAnswers(CommandKind::kInquiry, false);
  machine.AddDisk(UsbPath(3), VirtualEnclosure::Tbr640())
      .SetAnswers(CommandKind::kGetChipInfo, false);
  machine.AddDisk(paths::kInternalNvme, VirtualEnclosure::PlainDisk());
  machine.AddDisk(UsbPath(5), VirtualEnclosure::SilentDisk());

  EXPECT_EQ(Enumerate(), (std::vector<std::string>{UsbPath(1), UsbPath(2), UsbPath(3)}));
  using K = CommandKind;
  EXPECT_EQ(KindsFor(UsbPath(1).c_str()), (Kinds{K::kInquiry, K::kGetChipInfo}));
  EXPECT_EQ(KindsFor(UsbPath(2).c_str()), (Kinds{K::kInquiry, K::kReadBridgeWord}));
  EXPECT_EQ(KindsFor(UsbPath(3).c_str()),
            (Kinds{K::kInquiry, K::kGetChipInfo, K::kReadBridgeWord}));
  EXPECT_EQ(KindsFor(paths::kInternalNvme),
            (Kinds{K::kInquiry, K::kGetChipInfo, K::kReadBridgeWord}));
  EXPECT_EQ(KindsFor(UsbPath(5).c_str()), (Kinds{K::kInquiry, K::kReadBridgeWord}));
}

TEST_F(DiscoveryTest, UnreadableDetailEndsTheListAndKeepsWhatWasStored) {
  for (int i = 0; i < 4; ++i) machine.AddDisk(UsbPath(i), VirtualEnclosure::Tbr640());
  machine.FailInterfaceDetail(2);
  EXPECT_EQ(Enumerate(), (std::vector<std::string>{UsbPath(0), UsbPath(1)}));
  EXPECT_TRUE(machine.TraceFor(UsbPath(2)).empty());
  EXPECT_TRUE(machine.TraceFor(UsbPath(3)).empty());
}

TEST_F(DiscoveryTest, PathThatDoesNotFitIsSkippedUnprobed) {
  const std::string longest =
      UsbPath(0) + std::string(kMaxStoredPathLength - UsbPath(0).size(), 'x');
  const std::string tooLong = longest + "x";
  const std::string veryLong = UsbPath(1) + std::string(300 - UsbPath(1).size(), 'y');
  for (const std::string& path : {tooLong, veryLong, longest}) {
    machine.AddDisk(path, VirtualEnclosure::Tbr640());
  }
  EXPECT_EQ(Enumerate(), std::vector<std::string>{longest});
  EXPECT_TRUE(machine.TraceFor(tooLong).empty());
  EXPECT_TRUE(machine.TraceFor(veryLong).empty());
}

TEST_F(DiscoveryTest, FullTableEndsTheEnumeration) {
  for (int i = 0; i < 20; ++i) machine.AddDisk(UsbPath(i), VirtualEnclosure::Tbr640());
  const std::vector<std::string> found = Enumerate();
  ASSERT_EQ(found.size(), kPathTableEntries);
  for (size_t i = 0; i < kPathTableEntries; ++i) EXPECT_EQ(found[i], UsbPath(static_cast<int>(i)));
  for (int i = 16; i < 20; ++i) EXPECT_TRUE(machine.TraceFor(UsbPath(i)).empty()) << i;
}

}  // namespace
