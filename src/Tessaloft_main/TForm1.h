#pragma once
// The main window: its controls, its state and its flows. Everything the
// flows need from the system goes through the shell seam, so the whole window
// runs in tests on the virtual machine; the Windows view only mirrors it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Tessaloft_main/Controls.h"
#include "Tessaloft_main/UpdateWatcher.h"
#include "engine/ConfigBlock.h"
#include "engine/FlushFileSystems.h"
#include "seams/ScsiBackend.h"
#include "seams/Shell.h"

constexpr int kDeviceSlotCount = 128;
constexpr int kSlotPathSize = 257;
constexpr int kSlotLettersSize = 19;

struct DeviceSlot {
  char Path[kSlotPathSize];
  char DriveLetters[kSlotLettersSize];
};
static_assert(sizeof(DeviceSlot) == 276, "a slot is a 257-byte path and 19 letter bytes");

// The refresh timer: one-shot, restarted by each relevant device change.
constexpr uint32_t kRefreshTimerId = 101;
constexpr uint32_t kRefreshTimerMs = 500;

// Device-change events that restart it.
constexpr uintptr_t kDbtDevNodesChanged = 0x0007;
constexpr uintptr_t kDbtDeviceArrival = 0x8000;
constexpr uintptr_t kDbtDeviceRemoveComplete = 0x8004;

class TForm1 {
 public:
  // Builds the controls and runs the first refresh, as the window's
  // construction does.
  TForm1();
  // Unregisters the device notification, unless the window did already.
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The creation handler: registers for USB notifications, sets the caption.
  void FormCreate(Control* sender);
  // The window's dispatcher for the messages the window handles itself.
  void Dispatch(uint32_t message, uintptr_t wParam);

  void btn_RefreshClick(Control* sender);
  void btn_UpdateClick(Control* sender);
  void ShowDeviceInfo();
  void WMDeviceChange(uintptr_t event);
  void WMTimer(uintptr_t timerId);
  void RegisterUsbNotification();
  // Unregisters the device notification and forgets it: a second call, or
  // the destructor after it, unregisters nothing.
  void UnregisterUsbNotification();
  // Who hears of the update's progress and result from now on; null: nobody.
  void SetUpdateWatcher(UpdateWatcher* watcher) { watcher_ = watcher; }

  // Controls, in creation order.
  TComboBox cbb_DeviceList{"cbb_DeviceList", 152, 136, 177, 21};
  TButton btn_Refresh{"btn_Refresh", 8, 136, 97, 25};
  TPanel pnl_Descript_2{"pnl_Descript_2", 8, 40, 457, 25, TextAlign::kCentre};
  TPanel pnl_Descript_1{"pnl_Descript_1", 8, 8, 457, 25, TextAlign::kCentre};
  TButton btn_Update{"btn_Update", 360, 128, 105, 33};
  TPanel pnl_Descript_3{"pnl_Descript_3", 7, 64, 457, 41, TextAlign::kCentre};
  TPanel pnl_Descript_5{"pnl_Descript_5", 7, 136, 322, 25, TextAlign::kLeft};
  TPanel pnl_Descript_4{"pnl_Descript_4", 7, 104, 457, 25, TextAlign::kCentre};
  // Not of the original layout: the update's progress, over the fourth line.
  TProgressBar prg_Update{"prg_Update", 7, 108, 457, 17};

  std::string Caption = "Form1";

  // State.
  NotifyRef DevNotify = 0;
  DeviceSlot DeviceSlots[kDeviceSlotCount] = {};
  uint16_t ChipCode = 0;
  int32_t CandidateCount = 0;
  ConfigBlock DeviceConfig = {};
  VidPidField VidPidText = {};
  TextField ManufacturerText = {};
  TextField ProductText = {};
  TextField DiskText = {};

  // The path that the last device-information run identified as a TBR640;
  // empty when it found none. The update runs only on that device.
  std::string IdentifiedPath;
  // What that run read the device as: the device its handle reached (no
  // command tells it) and its chip information. The update writes only a
  // device that its own handle finds to be the same, whose chip reads alike.
  DeviceIdentity IdentifiedDevice;
  std::array<uint8_t, 16> IdentifiedChip{};

 private:
  // The refresh: the lines cleared of an update's result, the devices listed,
  // a warning when more than one is.
  void ClearLines();
  // Lists the first `count` of `paths`; how many it listed.
  int ListDevices(char* const* paths, int count);
  // Lists `path` in `slot`, unless it is no bridge the window knows (false).
  // `identification` keeps the last vendor and product an INQUIRY answered.
  bool ListDevice(char* path, char* identification, DeviceSlot& slot);
  void WarnOfSeveralDevices();
  void NoDeviceEnding();
  void ShowIdentity(const uint8_t* chipInfo);
  // The device work of an update: flush, download, block. `refused`: nothing
  // was written (the lock or the device said no first). `note` receives
  // what the window says of file systems that could not be flushed.
  bool RunUpdate(const std::string& path, const std::vector<std::string>& places, std::string* note,
                 bool* refused);
  // The attempt on `path` as the system's log keeps it.
  UpdateAttempt AttemptOf(const std::string& path, bool passed, bool refused,
                          const std::string& note) const;

  UpdateWatcher* watcher_ = nullptr;
};

// The single main window.
extern TForm1* Form1;
