#include <cstring>
#include <string>

#include "IDEAccess/BridgeCommands.h"
#include "IDEAccess/ChipIdentification.h"
#include "IDEAccess/DeviceSpan.h"
#include "IDEAccess/Discovery.h"
#include "IDEAccess/DriveLetters.h"
#include "Tessaloft_main/TForm1.h"
#include "seams/AsciiCase.h"
#include "seams/Seams.h"

namespace {

constexpr size_t kIdentificationSize = 24;  // INQUIRY vendor (8) and product (16)
constexpr size_t kInquiryIdentification = 8;

const char kSeveralDrivesBox[] =
    "Multiple USB hard drives are attached.\nPlease disconnect all drives\n except the one that "
    "needs to be updated.";

const char* BusPrefix(const char* path) {
  switch (BusOfPath(path)) {
    case Bus::kFirewire:
      return "<<1394>> ";
    case Bus::kUas:
      return "<<UASP>> ";
    default:
      return "<<USB>> ";
  }
}

}  // namespace

void TForm1::ClearLines() {
  pnl_Descript_1.SetText("");
  pnl_Descript_2.SetText("");
  pnl_Descript_3.SetText("");
  FontStyle regular = pnl_Descript_3.font();
  regular.sizePoints = 12;
  regular.bold = false;
  regular.windowTextColour = true;
  pnl_Descript_3.SetFont(regular);
  pnl_Descript_4.SetText("");
  pnl_Descript_5.SetText("");
  IdentifiedPath.clear();
  if (watcher_) watcher_->LinesRefreshed();
}

void TForm1::btn_RefreshClick(Control*) {
  ClearLines();

  char buffers[kPathTableEntries][kPathBufferSize] = {};
  char* paths[kPathTableEntries];
  for (size_t i = 0; i < kPathTableEntries; ++i) paths[i] = buffers[i];
  const int count = EnumerateBridgeDisks(paths, 1);
  CandidateCount = count;

  if (count == 0) {
    NoDeviceEnding();  // and no message box
    return;
  }

  const int listed = ListDevices(paths, count);
  cbb_DeviceList.SetEnabled(true);
  if (listed == 0) cbb_DeviceList.Add("");
  cbb_DeviceList.SetItemIndex(0);

  if (listed <= 1) {
    ShowDeviceInfo();
    return;
  }
  WarnOfSeveralDevices();
}

int TForm1::ListDevices(char* const* paths, int count) {
  // A device whose INQUIRY fails is listed with the identification before it.
  char identification[kIdentificationSize] = {};
  cbb_DeviceList.Clear();
  int listed = 0;
  for (int i = 0; i < count && listed < kDeviceSlotCount; ++i) {
    if (ListDevice(paths[i], identification, DeviceSlots[listed])) ++listed;
  }
  return listed;
}

bool TForm1::ListDevice(char* path, char* identification, DeviceSlot& slot) {
  AsciiLowerInPlace(path);
  // An enclosure that another program is writing gets no command: it is
  // listed as it is, and the device information says why it is not read.
  const bool beingWritten = ActiveSystemGuards().EnclosureBusy(path);
  uint8_t inquiry[kInquiryLength] = {};
  if (!beingWritten && Inquiry(path, inquiry, kInquiryLength)) {
    std::memcpy(identification, inquiry + kInquiryIdentification, kIdentificationSize);
  }
  std::strncpy(slot.Path, path, kSlotPathSize - 1);
  slot.Path[kSlotPathSize - 1] = '\0';
  if (beingWritten) {
    std::memset(slot.DriveLetters, 0, sizeof slot.DriveLetters);
    cbb_DeviceList.Add(BusPrefix(path));
    return true;
  }

  {
    const DeviceSpan span(path);  // one handle for the identification's commands
    ChipCode = IdentifyChip(path);
  }
  if ((ChipCode & 0xFF) == 0) return false;

  FindDriveLetters(path, slot.DriveLetters);
  std::string item = BusPrefix(path);
  item.append(identification, strnlen(identification, kIdentificationSize));
  cbb_DeviceList.Add(item);
  return true;
}

void TForm1::WarnOfSeveralDevices() {
  pnl_Descript_1.SetText("Multiple USB hard drives are attached.");
  pnl_Descript_2.SetText("Please disconnect all drives");
  pnl_Descript_3.SetText("except the one that needs to be updated.");
  // With several devices listed, ChipCode belongs to the last one identified
  // while the update would act on the first: no update until one is left.
  btn_Update.SetEnabled(false);
  // A single OK button: the style's button bits stay zero.
  ActiveShell().ShowMessageBox(kSeveralDrivesBox, "Warning", kMbIconWarning | kMbTaskModal);
}
