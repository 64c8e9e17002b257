#pragma once
// A virtual machine behind every seam (device, shell, disk interfaces,
// volumes), and device paths spelled the way the system spells them.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "seams/Seams.h"
#include "sim/VirtualMachine.h"
#include "support/TestSeams.h"

namespace paths {
constexpr char kUsbEnclosure[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kUasEnclosure[] =
    "\\\\?\\scsi#disk&ven_orvexa&prod_tq-214_uas&rev_0100#4&2b7a6c1&0&000000#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kFirewireDisk[] =
    "\\\\?\\sbp2#orvexa&tq-214_1394&lun0#1&5d1c2a7&0&0080880001a2b3c4#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kInternalSata[] =
    "\\\\?\\ide#diskgeneric_ssd_____________________1.0_____#5&1a2b3c4d&0&0.0.0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
// NVMe disks show up on the SCSI-class bus: they pass the filter but answer
// no bridge command.
constexpr char kInternalNvme[] =
    "\\\\?\\scsi#disk&ven_nvme&prod_generic_ssd#4&9e1f00a&0&010000#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kUpperCaseUsb[] =
    "\\\\?\\USBSTOR#DISK&VEN_ORVEXA&PROD_TQ-214_ENCLOSURE&REV_0100#0000000000000215&0#"
    "{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}";
}  // namespace paths

class MachineTest : public ::testing::Test {
 protected:
  MachineTest() : seams_(Seams{&machine, &shell, &machine, &machine}) {}

  // The commands that reached `path`, in order.
  std::vector<CommandKind> KindsFor(const char* path) const {
    const std::vector<TraceEntry> trace = machine.TraceFor(path);
    std::vector<CommandKind> kinds(trace.size());
    std::transform(trace.begin(), trace.end(), kinds.begin(),
                   [](const TraceEntry& e) { return e.kind; });
    return kinds;
  }

  VirtualMachine machine;
  VirtualShell shell;

 private:
  ScopedSeams seams_;
};
