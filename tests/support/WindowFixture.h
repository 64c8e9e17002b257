#pragma once
// The main window over the virtual machine: every seam virtual, the firmware
// image compiled in, the window built the way the program builds it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Tessaloft_main/TForm1.h"
#include "embedded/EmbeddedResources.h"
#include "seams/Seams.h"
#include "sim/VirtualMachine.h"
#include "support/VirtualShell.h"

namespace window_paths {
// The system spells the bus in lower case but not always the rest.
constexpr char kUsb[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}";
constexpr char kUsbLower[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kUsbSecond[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000999&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kUas[] =
    "\\\\?\\scsi#disk&ven_orvexa&prod_tq-214_uas&rev_0100#4&2b7a6c1&0&000000#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kFirewire[] =
    "\\\\?\\sbp2#orvexa&tq-214_1394&lun0#1&5d1c2a7&0&0080880001a2b3c4#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}  // namespace window_paths

// Counts the changes of one control, and how often its text became empty.
class ChangeCounter final : public ControlObserver {
 public:
  void ControlChanged(const Control& control) override {
    ++changes;
    if (control.text().empty()) ++emptied;
  }
  int changes = 0;
  int emptied = 0;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : seams_(Seams{&machine, &shell, &machine, &machine, &resources}) {}

  // A TBR640 with outdated firmware and texts, at `path`.
  VirtualEnclosure& AddEnclosure(const char* path = window_paths::kUsb) {
    return machine.AddDisk(path, VirtualEnclosure::Tbr640());
  }
  // A TBR640 whose firmware and block already carry the update.
  VirtualEnclosure& AddCurrentEnclosure(const char* path = window_paths::kUsb);

  // Builds the window and runs its creation handler, as start-up does.
  TForm1& Open() {
    form_ = std::make_unique<TForm1>();
    form_->FormCreate(nullptr);
    return *form_;
  }
  void Close() { form_.reset(); }
  TForm1& form() { return *form_; }

  VirtualMachine machine;
  VirtualShell shell;
  EmbeddedResources resources;

 private:
  ScopedSeams seams_;
  std::unique_ptr<TForm1> form_;
};
