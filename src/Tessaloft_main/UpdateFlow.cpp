#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "IDEAccess/DeviceSpan.h"
#include "IDEAccess/FamilyIds.h"
#include "IDEAccess/InterfaceSerial.h"
#include "Tessaloft_main/TForm1.h"
#include "engine/DeviceReading.h"
#include "engine/FirmwareDownload.h"
#include "engine/FirmwareVersion.h"
#include "engine/Refusals.h"
#include "engine/WriteGuard.h"
#include "engine/WriteSpan.h"
#include "seams/Seams.h"

namespace {

constexpr int kResultFontPoints = 34;
constexpr Rgb kPassGreen{0, 128, 0};
constexpr Rgb kFailRed{255, 0, 0};

// Feeds the engine's progress to the bar, and to whoever watches the update,
// on the window thread.
class BarProgress final : public UpdateObserver {
 public:
  BarProgress(TProgressBar& bar, UpdateWatcher* watcher, const std::array<uint8_t, 16>& chip)
      : bar_(bar), watcher_(watcher), chip_(chip) {}
  // The chip must read as the device-information run read it.
  bool AcceptChip(const uint8_t* chipInfo, uint32_t length) override {
    changed_ = length != chip_.size() || std::memcmp(chipInfo, chip_.data(), chip_.size()) != 0;
    return !changed_;
  }
  bool changed() const { return changed_; }
  void OnProgress(UpdatePhase phase, uint32_t done, uint32_t total) override {
    // Writing and verifying fill one bar: first half, second half.
    const uint32_t position = (phase == UpdatePhase::kVerifying ? total : 0) + done;
    const uint32_t maximum = 2 * total;
    TProgressBar& bar = bar_;
    UpdateWatcher* watcher = watcher_;
    ActiveShell().PostToWindowThread([&bar, watcher, position, maximum] {
      bar.SetProgress(position, maximum);
      if (watcher) watcher->UpdateProgressed(position, maximum);
    });
  }

 private:
  TProgressBar& bar_;
  UpdateWatcher* watcher_;
  const std::array<uint8_t, 16>& chip_;
  bool changed_ = false;
};

// Line 2 when the device is not the one the window shows any more.
constexpr char kDeviceChangedText[] = "The device changed since it was read; nothing was written";
// Why an update did not start or end well, for the system's log, where the
// window's lines say nothing more than the result.
constexpr char kNotIdentifiedText[] = "no TBR640 enclosure was identified";
constexpr char kUpdateFailedText[] =
    "the firmware or the configuration block was not written and read back alike";

}  // namespace

bool TForm1::RunUpdate(const std::string& path, const std::vector<std::string>& places,
                       std::string* note, bool* refused) {
  prg_Update.SetProgress(0, 1);
  prg_Update.SetVisible(true);
  if (watcher_) watcher_->UpdateProgressed(0, 1);
  bool outcome = false;
  // Why the enclosure could not be locked, when it could not.
  std::string unlocked;
  std::vector<FlushFailure> unflushed;
  BarProgress progress(prg_Update, watcher_, IdentifiedChip);
  bool changed = false;
  ActiveShell().RunDeviceWork([&] {
    // The enclosure's lock and the system kept awake, from before the first
    // write to the end of the block's read-back, on the thread that writes.
    const WriteSpan span(path);
    if (!span.lock().taken()) {
      unlocked = span.lock().busy() ? kEnclosureBusyRefusal.windowText : span.lock().problem;
      return;
    }
    // One handle from the first command to the block's read-back, which must
    // reach the device the window read, asked of the system before anything
    // is sent.
    const DeviceSpan device(path);
    if (device.opened() && (device.identity() != IdentifiedDevice || !device.StillThere())) {
      changed = true;
      return;
    }
    unflushed = FlushFileSystems(places);
    // The block is rewritten only after a download that was read back equal;
    // its own result then decides.
    if (UpdateFirmware(path.c_str(), &progress)) outcome = PatchConfigBlock(path.c_str());
    changed = progress.changed();
  });
  prg_Update.SetVisible(false);
  if (!unlocked.empty()) *note = unlocked;
  if (changed) *note = kDeviceChangedText;
  *refused = !unlocked.empty() || changed;
  if (!unflushed.empty()) {
    *note = "Could not flush " + JoinFailedPlaces(unflushed) + " before the update";
  }
  return outcome;
}

void TForm1::btn_UpdateClick(Control*) {
  ActiveShell().DebugOutput("Update Btn Press\n");
  btn_Update.SetEnabled(false);

  bool outcome = false;
  const uint8_t family = ChipCode & 0xFF;
  const int index = cbb_DeviceList.itemIndex();
  const std::string path =
      index >= 0 && index < kDeviceSlotCount ? DeviceSlots[index].Path : std::string();
  // Only the device that the last device-information run identified.
  const bool identified = !IdentifiedPath.empty() && IdentifiedPath == path;

  pnl_Descript_1.SetText("DO NOT disconnect the device during the FW update.");
  pnl_Descript_2.SetText("");
  pnl_Descript_3.SetText("Updating.....");
  pnl_Descript_4.SetText("");
  ActiveShell().ProcessMessages();

  // Why the result is what it is, when the flow knows more than the result:
  // a build that may not write this device, or file systems left unflushed.
  std::string note;
  // Nothing was written: the build, the lock or the device said no first.
  bool refused = true;
  if (family == kFamilyTbr640 && identified) {
    if (const Refusal* refusal = FirmwareWriteRefusal()) {
      note = refusal->windowText;
    } else {
      outcome = RunUpdate(path, LetterPlaces(DeviceSlots[index].DriveLetters), &note, &refused);
    }
  } else {
    note = kNotIdentifiedText;
  }

  FontStyle result = pnl_Descript_3.font();
  result.sizePoints = kResultFontPoints;
  result.bold = true;
  pnl_Descript_3.SetFont(result);
  pnl_Descript_1.SetText("");
  pnl_Descript_3.SetText(outcome ? "PASS" : "FAIL");
  if (!note.empty()) pnl_Descript_2.SetText(note);
  result.windowTextColour = false;
  result.colour = outcome ? kPassGreen : kFailRed;
  pnl_Descript_3.SetFont(result);
  if (watcher_) {
    watcher_->UpdateResultShown(outcome);
    watcher_->UpdateAttempted(AttemptOf(path, outcome, refused, note));
  }
}

UpdateAttempt TForm1::AttemptOf(const std::string& path, bool passed, bool refused,
                                const std::string& note) const {
  UpdateAttempt attempt;
  attempt.result = passed    ? AttemptResult::kPassed
                   : refused ? AttemptResult::kRefused
                             : AttemptResult::kFailed;
  attempt.serial = SerialOfInterfacePath(path);
  const int index = cbb_DeviceList.itemIndex();
  const char* letters =
      index >= 0 && index < kDeviceSlotCount ? DeviceSlots[index].DriveLetters : "";
  // "E: F:", as Explorer names the drives; the path without one.
  for (const char* letter = letters; *letter != '\0'; ++letter) {
    attempt.drive += std::string(attempt.drive.empty() ? "" : " ") + *letter + ":";
  }
  if (attempt.drive.empty()) attempt.drive = path;
  if (!IdentifiedPath.empty()) {
    attempt.firmwareBefore = FirmwareVersionText(IdentifiedChip.data() + kChipInfoVersion);
  }
  // What runs after it: the version written (once the enclosure is
  // reconnected), the one before when nothing was written.
  attempt.firmwareAfter = passed ? TargetVersionText() : refused ? attempt.firmwareBefore : "";
  attempt.reason = passed || !note.empty() ? note : kUpdateFailedText;
  return attempt;
}
