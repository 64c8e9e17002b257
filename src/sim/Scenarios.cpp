#include "sim/Scenarios.h"

#include <algorithm>
#include <cstring>

const char kScenarioEnclosurePath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
const char kScenarioSecondEnclosurePath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000437&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
const char kStationLatePath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000001103&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
const char kScenarioSystemDiskPath[] =
    "\\\\?\\ide#diskgeneric_ssd_____________________1.0_____#5&1a2b3c4d&0&0.0.0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

namespace {

// Configuration block fields the scenarios set.
constexpr size_t kProductLength = 48;
constexpr size_t kProductCharacters = 50;
constexpr size_t kProductFieldEnd = 84;
constexpr size_t kHddSecondPart = 208;
constexpr char kTargetText[] = "External USB-3.0";

uint8_t* Block(VirtualEnclosure& chip) {
  return chip.memory() + kConfigBlockAddressSim;
}

void SetProductText(VirtualEnclosure& chip, const char* text) {
  uint8_t* block = Block(chip);
  const size_t n = std::strlen(text);
  std::fill(block + kProductCharacters, block + kProductFieldEnd, 0);
  block[kProductLength] = static_cast<uint8_t>(2 + 2 * n);
  std::copy(text, text + n, block + kProductCharacters);
}

VirtualEnclosure Outdated() {
  VirtualEnclosure chip = VirtualEnclosure::Tbr640();
  chip.SetFirmwareVersion(21, 32, 0, 2);
  SetProductText(chip, "USB3.0 Disk");
  return chip;
}

VirtualEnclosure Current() {
  VirtualEnclosure chip = VirtualEnclosure::Tbr640();
  chip.SetFirmwareVersion(21, 32, 0, 3);
  SetProductText(chip, kTargetText);
  std::copy(kTargetText, kTargetText + 16, Block(chip) + kHddSecondPart);
  return chip;
}

VirtualEnclosure Newer() {
  VirtualEnclosure chip = Current();
  chip.SetFirmwareVersion(21, 33, 0, 0);
  return chip;
}

void AddSystemDisk(VirtualMachine& machine) {
  machine.AddDisk(kScenarioSystemDiskPath, VirtualEnclosure::PlainDisk());
  machine.AddVolume('C', kScenarioSystemDiskPath, 1);
}

VirtualEnclosure& AddEnclosure(VirtualMachine& machine, VirtualEnclosure chip,
                               const char* path = kScenarioEnclosurePath, char letter = 'E') {
  VirtualEnclosure& added = machine.AddDisk(path, std::move(chip));
  machine.AddVolume(letter, path, 1);
  return added;
}

// Another enclosure of the service desk, by its serial number.
std::string StationPath(const char* serial) {
  return std::string("\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#") + serial +
         "&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

void BuildStation(VirtualMachine& machine) {
  AddEnclosure(machine, Outdated(), kScenarioEnclosurePath, 'E');
  AddEnclosure(machine, Outdated(), kScenarioSecondEnclosurePath, 'F').faults().vanishAtWritePiece =
      20;
  Faults& misread =
      AddEnclosure(machine, Outdated(), StationPath("0000000000000661").c_str(), 'G').faults();
  misread.flipReadBack = true;
  misread.flipOffset = 0x1234;
  AddEnclosure(machine, Current(), StationPath("0000000000000882").c_str(), 'H');
  AddEnclosure(machine, Outdated(), StationPath("0000000000000990").c_str(), 'J')
      .faults()
      .FailEvery(CommandKind::kReadBridgeMemory);
  AddEnclosure(machine, Newer(), StationPath("0000000000001212").c_str(), 'K');
  // Plugged in later, by the timeline.
  AddEnclosure(machine, Outdated(), kStationLatePath, 'I');
  machine.Remove(kStationLatePath);
}

}  // namespace

std::vector<TimelineStep> ScenarioTimeline(const std::string& name) {
  if (name != "station") return {};
  return {{kStationArrivalMs, kStationLatePath, true}};
}

const std::vector<std::string>& ScenarioNames() {
  static const std::vector<std::string> names = {"outdated",
                                                 "current",
                                                 "newer",
                                                 "none",
                                                 "two",
                                                 "other-family",
                                                 "internal-code",
                                                 "nvram-fail",
                                                 "verify-fail",
                                                 "write-ignored",
                                                 "unplug-during-update",
                                                 "station"};
  return names;
}

bool BuildScenario(const std::string& name, VirtualMachine& machine) {
  const auto& names = ScenarioNames();
  if (std::find(names.begin(), names.end(), name) == names.end()) return false;
  AddSystemDisk(machine);
  if (name == "none") return true;
  if (name == "current") {
    AddEnclosure(machine, Current());
    return true;
  }
  if (name == "newer") {
    AddEnclosure(machine, Newer());
    return true;
  }
  if (name == "station") {
    BuildStation(machine);
    return true;
  }
  if (name == "other-family") {
    AddEnclosure(machine, VirtualEnclosure::Bridge(3, IdRoute::kInquiry));
    return true;
  }
  VirtualEnclosure& chip = AddEnclosure(machine, Outdated());
  if (name == "two") {
    AddEnclosure(machine, Outdated(), kScenarioSecondEnclosurePath, 'F');
  } else if (name == "internal-code") {
    chip.SetRunningInternalCode(true);
  } else if (name == "nvram-fail") {
    chip.faults().FailEvery(CommandKind::kReadBridgeMemory);
  } else if (name == "verify-fail") {
    chip.faults().flipReadBack = true;
    chip.faults().flipOffset = 0x1234;
  } else if (name == "write-ignored") {
    chip.faults().ignoreMemoryWrites = true;
  } else if (name == "unplug-during-update") {
    chip.faults().vanishAtWritePiece = 20;
  }
  return true;
}
