#include <cstdio>
#include <cstring>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/ChipIdentification.h"
#include "IDEAccess/FamilyIds.h"
#include "Tessaloft_main/SystemPrompt.h"
#include "Tessaloft_main/TForm1.h"
#include "Tessaloft_main/UpToDate.h"
#include "seams/Seams.h"

namespace {

constexpr int kPromptPasses = 101;
constexpr uint32_t kPromptPassSleepMs = 2;

// Chip information reply bytes this flow reads.
constexpr size_t kInfoRunningFirmware = 6;
constexpr size_t kInfoVersion = 12;

bool SystemShowsPrompts() {
  return IsVersion6Minor1Up() || IsVersion6Minor2Or3() || IsVersion10Minor0();
}

}  // namespace

void TForm1::NoDeviceEnding() {
  pnl_Descript_1.SetText("No available device !!");
  cbb_DeviceList.Clear();
  cbb_DeviceList.Add("No available device!!!");
  cbb_DeviceList.SetItemIndex(0);
  cbb_DeviceList.SetEnabled(false);
  btn_Update.SetEnabled(false);
}

void TForm1::ShowDeviceInfo() {
  if (CandidateCount == 0) return;
  IdentifiedPath.clear();
  const int index = cbb_DeviceList.itemIndex();
  if (index < 0 || index >= kDeviceSlotCount) {
    NoDeviceEnding();
    return;
  }
  const char* path = DeviceSlots[index].Path;

  ChipCode = IdentifyChip(path);
  if ((ChipCode & 0xFF) != kFamilyTbr640) {
    NoDeviceEnding();
    return;
  }
  uint8_t flashIndex[kFlashIndexLength] = {};
  if (!ReadFlashIndex(path, flashIndex)) {
    NoDeviceEnding();
    return;
  }
  uint8_t info[kChipInfoLength] = {};
  uint32_t transferred = 0;
  if (!GetChipInfo(path, info, kChipInfoLength, &transferred) || info[0] != 0xF4 ||
      info[1] != 0xE7) {
    NoDeviceEnding();
    return;
  }
  if (info[kInfoRunningFirmware] == 0) {
    pnl_Descript_2.SetText("NOT support internal code!!");
    NoDeviceEnding();
    return;
  }

  if (SystemShowsPrompts()) {
    for (int pass = 0; pass < kPromptPasses; ++pass) {
      CloseSystemPrompt();
      ActiveShell().Sleep(kPromptPassSleepMs);
    }
  }

  DeviceConfig = ConfigBlock{};
  WaitBridgeReady(path);
  if (!ReadBridgeMemory(path, ConfigBlockAddress, DeviceConfig.bytes.data(),
                        static_cast<int32_t>(kConfigBlockSize))) {
    pnl_Descript_2.SetText("Get NVRAM Fail !!");
    NoDeviceEnding();
    return;
  }

  ShowIdentity(info);
  IdentifiedPath = path;
  ActiveShell().ProcessMessages();
}

void TForm1::ShowIdentity(const uint8_t* info) {
  char line[160];
  FormatVidPidText(DeviceConfig, VidPidText);
  pnl_Descript_1.SetText(VidPidText);

  DecodeManufacturerText(DeviceConfig, ManufacturerText);
  std::snprintf(line, sizeof line, "Manufacture[  %s  ]", ManufacturerText);
  pnl_Descript_2.SetText(line);

  DecodeProductText(DeviceConfig, ProductText);
  std::snprintf(line, sizeof line, "USB Prod[  %s  ]", ProductText);
  pnl_Descript_3.SetText(line);

  DecodeDiskText(DeviceConfig, DiskText);
  std::snprintf(line, sizeof line, "HDD String[  %s  ]", DiskText);
  pnl_Descript_4.SetText(line);

  const uint8_t* v = info + kInfoVersion;
  std::snprintf(line, sizeof line, "Chip FW Version[  %.2d.%.2d.%.2d.%.2d  ]", v[0], v[1], v[2],
                v[3]);
  pnl_Descript_5.SetText(line);

  if (IsUpToDate(v, DeviceConfig)) {
    std::snprintf(line, sizeof line, "Chip FW Version[  %.2d.%.2d.%.2d.%.2d  ] Up to date", v[0],
                  v[1], v[2], v[3]);
    pnl_Descript_5.SetText(line);
    btn_Update.SetVisible(false);
  } else {
    pnl_Descript_5.SetText(line);
    btn_Update.SetEnabled(true);
    btn_Update.SetVisible(true);
  }
}
