// Spans of commands: one handle a path however the spans nest, commands that
// reach the unit the handle was opened on or fail, and what the system is
// asked of the handle.

#include <gtest/gtest.h>

#include <memory>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/DeviceSpan.h"
#include "seams/Seams.h"
#include "seams/WrappingBackend.h"
#include "sim/VirtualMachine.h"

namespace {

constexpr char kPath[] = "\\\\?\\usbstor#disk&ven_orvexa#0000000000000214&0#{disk}";
constexpr char kPathUpper[] = "\\\\?\\USBSTOR#DISK&VEN_ORVEXA#0000000000000214&0#{DISK}";

// The machine, counting opens of handles; it may be made unable to tell what
// a handle stands for, as a system without the query is.
class CountingBackend final : public WrappingBackend {
 public:
  explicit CountingBackend(VirtualMachine& machine) : WrappingBackend(machine) {}
  std::unique_ptr<DeviceHandle> OpenHandle(const char* path) override {
    ++opens;
    return inner_.OpenHandle(path);
  }
  bool IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) override {
    return tells && inner_.IdentifyHandle(handle, identity);
  }
  int opens = 0;
  bool tells = true;
};

class DeviceSpanTest : public ::testing::Test {
 protected:
  DeviceSpanTest() : backend(machine), seams_(Seams{&backend, nullptr}) {
    machine.AddDisk(kPath, VirtualEnclosure::Tbr640());
  }
  bool Asks() {
    uint8_t reply[kInquiryLength] = {};
    return Inquiry(kPath, reply, kInquiryLength) == 1;
  }

  VirtualMachine machine;
  CountingBackend backend;

 private:
  ScopedSeams seams_;
};

TEST_F(DeviceSpanTest, NestedSpansShareOneHandleThatNeverReachesTheUnitTakingTheName) {
  const uint64_t first = machine.ArrivalOf(kPath);
  {
    const DeviceSpan outer(kPath);
    const DeviceSpan inner(kPathUpper);  // the system's names ignore case
    EXPECT_EQ(1, backend.opens);
    EXPECT_EQ(first, inner.identity().sequence);
    EXPECT_TRUE(Asks());
    EXPECT_TRUE(outer.StillThere());
    machine.Replace(kPath, VirtualEnclosure::Tbr640(), "0000000000001214");
    EXPECT_FALSE(inner.StillThere());
    EXPECT_FALSE(Asks()) << "the handle's unit is gone";
    EXPECT_EQ(kErrorDeviceNotConnected, machine.trace().back().lastError);
    EXPECT_EQ(0u, machine.trace().back().unit);
  }
  // Outside any span the name is opened again: the newcomer answers.
  EXPECT_TRUE(Asks());
  EXPECT_EQ(machine.ArrivalOf(kPath), machine.trace().back().unit);
  EXPECT_NE(first, machine.trace().back().unit);
}

TEST_F(DeviceSpanTest, ASpanThatDidNotOpenSendsNothingByNameToWhatArrivesLater) {
  machine.Remove(kPath);
  const DeviceSpan span(kPath);
  EXPECT_FALSE(span.opened());
  EXPECT_EQ(kErrorFileNotFound, span.openError());
  EXPECT_FALSE(span.StillThere());
  machine.Reattach(kPath);
  EXPECT_FALSE(Asks());
  EXPECT_EQ(0u, machine.trace().back().unit);
}

TEST_F(DeviceSpanTest, ASystemThatCannotTellLeavesTheJudgementToTheHandle) {
  backend.tells = false;
  const DeviceSpan span(kPath);
  EXPECT_TRUE(span.StillThere());
  machine.Replace(kPath, VirtualEnclosure::PlainDisk());
  EXPECT_TRUE(span.StillThere()) << "nothing to compare";
  EXPECT_FALSE(Asks()) << "but the handle still reaches only its own unit";
}

}  // namespace
