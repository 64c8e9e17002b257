#include <cstring>

#include "IDEAccess/DeviceSpan.h"
#include "Tessaloft_main/SystemPrompt.h"
#include "Tessaloft_main/TForm1.h"
#include "engine/DeviceReading.h"
#include "engine/IdentityLines.h"
#include "engine/Refusals.h"
#include "seams/Seams.h"

namespace {

constexpr int kPromptPasses = 101;
constexpr uint32_t kPromptPassSleepMs = 2;

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
  // Another program is writing it: not a command, only the reason.
  if (ActiveSystemGuards().EnclosureBusy(path)) {
    ChipCode = 0;
    pnl_Descript_2.SetText(kEnclosureBusyRefusal.windowText);
    NoDeviceEnding();
    return;
  }

  DeviceReading reading;
  // The run's commands reach one device, through one handle.
  const DeviceSpan span(path);
  IdentifiedDevice = span.identity();
  const ReadingOutcome outcome = ReadDevice(path, &reading, [] {
    if (!SystemShowsPrompts()) return;
    for (int pass = 0; pass < kPromptPasses; ++pass) {
      CloseSystemPrompt();
      ActiveShell().Sleep(kPromptPassSleepMs);
    }
  });
  ChipCode = reading.chipCode;
  // The window's copy of the block is replaced once the block read was tried.
  if (outcome == ReadingOutcome::kRead || outcome == ReadingOutcome::kNoConfigBlock) {
    DeviceConfig = reading.block;
  }
  if (outcome != ReadingOutcome::kRead) {
    const char* reason = RefusalFor(outcome).windowText;
    if (*reason != '\0') pnl_Descript_2.SetText(reason);
    NoDeviceEnding();
    return;
  }

  // A device that went while it was read is none: the lines would mix two.
  if (!span.StillThere()) {
    NoDeviceEnding();
    return;
  }
  ShowIdentity(reading.chipInfo.data());
  IdentifiedPath = path;
  IdentifiedChip = reading.chipInfo;
  ActiveShell().ProcessMessages();
}

void TForm1::ShowIdentity(const uint8_t* info) {
  IdentityLines texts;
  BuildIdentityLines(DeviceConfig, info, &texts);
  std::memcpy(VidPidText, texts.vidPid, sizeof VidPidText);
  std::memcpy(ManufacturerText, texts.manufacturer, sizeof ManufacturerText);
  std::memcpy(ProductText, texts.product, sizeof ProductText);
  std::memcpy(DiskText, texts.disk, sizeof DiskText);

  pnl_Descript_1.SetText(texts.lines[0]);
  pnl_Descript_2.SetText(texts.lines[1]);
  pnl_Descript_3.SetText(texts.lines[2]);
  pnl_Descript_4.SetText(texts.lines[3]);
  // The plain version line first, then the line with the verdict.
  pnl_Descript_5.SetText(texts.plainVersionLine);
  pnl_Descript_5.SetText(texts.lines[4]);
  if (texts.upToDate) {
    btn_Update.SetVisible(false);
  } else {
    btn_Update.SetEnabled(true);
    btn_Update.SetVisible(true);
  }
}
