// Sends every command of the bridge's command set to a virtual TBR640
// enclosure and prints each command's CDB and result.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "IDEAccess/BridgeCommands.h"
#include "command-tour/TracePrinter.h"
#include "engine/FirmwareVersion.h"
#include "seams/ConsoleShell.h"
#include "seams/Seams.h"
#include "sim/VirtualMachine.h"

namespace {

const char kEnclosurePath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

class CountingShell final : public ConsoleShell {
 public:
  void Sleep(uint32_t milliseconds) override { slept += milliseconds; }
  int ShowMessageBox(const char* text, const char* caption, uint32_t) override {
    std::printf("[%s] %s\n", caption, text);
    return kIdOk;
  }
  uint32_t slept = 0;
};

class Demo {
 public:
  explicit Demo(VirtualMachine& machine) : machine_(machine) {}

  // Prints the trace entries that the last step added, the note on its first.
  void Show(const std::string& note) {
    const auto& trace = machine_.trace();
    for (size_t i = printed_; i < trace.size(); ++i) {
      PrintTraceEntry(stdout, trace[i], i == printed_ ? note : std::string());
    }
    printed_ = trace.size();
  }

 private:
  VirtualMachine& machine_;
  size_t printed_ = 0;
};

}  // namespace

int main() {
  VirtualMachine machine;
  VirtualEnclosure& chip = machine.AddDisk(kEnclosurePath, VirtualEnclosure::Tbr640());
  CountingShell shell;
  ScopedSeams seams({&machine, &shell});
  Demo demo(machine);

  std::printf("Virtual TBR640 enclosure at %s\n\n", kEnclosurePath);
  PrintTraceHeader(stdout);

  uint8_t inquiry[kInquiryLength] = {};
  Inquiry(kEnclosurePath, inquiry, kInquiryLength);
  demo.Show("\"" + PrintableText(inquiry + 8, 24) + "\", id \"" + PrintableText(inquiry + 36, 4) +
            "\"");

  uint8_t info[kChipInfoLength] = {};
  uint32_t transferred = 0;
  GetChipInfo(kEnclosurePath, info, kChipInfoLength, &transferred);
  demo.Show(HexBytes(info, 6) + ", firmware " + FirmwareVersionText(info + 12));

  GetChipInfoAlt(kEnclosurePath, info, kChipInfoLength, &transferred);
  demo.Show("(this family answers only the first form)");

  uint8_t word[kBridgeWordLength] = {};
  ReadBridgeWord(kEnclosurePath, word);
  demo.Show(HexBytes(word, sizeof word));

  uint8_t status = 0xEE;
  ReadStatusByte(kEnclosurePath, &status);
  demo.Show("status byte " + HexBytes(&status, 1) + " (two bytes moved, one handed over)");

  uint8_t flash[kFlashIndexLength] = {};
  ReadFlashIndex(kEnclosurePath, flash);
  demo.Show(HexBytes(flash, sizeof flash));

  uint8_t idString[kIdStringLength] = {};
  ReadIdString(kEnclosurePath, idString, kIdStringLength);
  demo.Show("\"" + PrintableText(idString, 8) + "\"");

  uint8_t block[512] = {};
  ReadBridgeMemory(kEnclosurePath, 0xD000, block, sizeof block);
  demo.Show("configuration block, product \"" + PrintableText(block + 50, (block[48] - 2) / 2) +
            "\"");
  WriteBridgeMemory(kEnclosurePath, 0xD000, block, sizeof block, 1);
  demo.Show("same block written back");

  uint8_t reg[4] = {};
  ReadBridgeRegister(kEnclosurePath, reg, 0xFDB0, sizeof reg);
  demo.Show("register 0xFDB0: " + HexBytes(reg, sizeof reg));

  uint8_t descriptor[4] = {};
  ReadBuffer(kEnclosurePath, 0x03, 0, 0, descriptor, sizeof descriptor);
  demo.Show("descriptor " + HexBytes(descriptor, 4));

  std::vector<uint8_t> piece(1024), back(1024);
  for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<uint8_t>(i * 7);
  WriteBuffer(kEnclosurePath, 0, 0x0E, piece.data(), 0x400, 1024);
  demo.Show("one 1024-byte piece at 0x400");
  ReadBuffer(kEnclosurePath, 0x01, 0, 0x400, back.data(), 1024);
  demo.Show(back == piece ? "read back equal" : "read back DIFFERENT");

  WriteBuffer(kEnclosurePath, 0, 0x0E, piece.data(), 0x200, 1024);
  demo.Show("offset 0x200 is no multiple of 1024: refused, sense fetched");

  uint8_t vendorBlock[512] = {};
  ReadVendorBlock(kEnclosurePath, 100, 1, vendorBlock, sizeof vendorBlock);
  demo.Show("(not a command of this family)");

  RequestSense(kEnclosurePath);
  demo.Show("");

  chip.faults().busyReads = 3;
  const int ready = WaitBridgeReady(kEnclosurePath);
  demo.Show("WaitBridgeReady -> " + std::to_string(ready) + " after " +
            std::to_string(shell.slept) + " ms of waits (bridge busy for 3 reads)");

  const int revision = CheckRevisionRegister(kEnclosurePath);
  demo.Show("CheckRevisionRegister -> " + std::to_string(revision));

  uint8_t missing[kInquiryLength] = {};
  Inquiry("\\\\.\\PhysicalDrive9", missing, kInquiryLength);
  demo.Show("no such device");

  std::printf("\n%zu commands sent.\n", machine.trace().size());
  return 0;
}
