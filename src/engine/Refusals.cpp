#include "engine/Refusals.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "IDEAccess/FamilyIds.h"
#include "engine/FirmwareVersion.h"
#include "engine/WriteGuard.h"
#include "seams/AsciiCase.h"

namespace {

struct Row {
  ReadingOutcome outcome;
  Refusal refusal;
};

constexpr char kNotTbr640Name[] = "not-tbr640";

// The window's texts are its own and stay as they are.
const Row kRows[] = {
    {ReadingOutcome::kRead, {"", "", ""}},
    {ReadingOutcome::kNotTbr640, {kNotTbr640Name, "", "its bridge is not a TBR640 (family 19)"}},
    {ReadingOutcome::kNoFlashIndex,
     {"no-flash-index", "", "the bridge did not answer the flash index command"}},
    {ReadingOutcome::kNoChipInfo,
     {"no-chip-information", "", "the chip information could not be read or lacks its signature"}},
    {ReadingOutcome::kInternalCode,
     {"internal-code", "NOT support internal code!!",
      "the bridge runs its internal code, which this tool does not update"}},
    {ReadingOutcome::kNoConfigBlock,
     {"nvram-fail", "Get NVRAM Fail !!", "the configuration block could not be read"}},
};

}  // namespace

const Refusal kStandInRefusal = {"stand-in-image", kStandInRefusalText, ""};
const Refusal kEnclosureBusyRefusal = {"enclosure-busy",
                                       "Another program is updating this enclosure",
                                       "another program is updating this enclosure"};
const Refusal kNewerFirmwareRefusal = {"newer-firmware", "",
                                       "its firmware is newer than this tool's"};

const Refusal& RefusalFor(ReadingOutcome outcome) {
  const auto* found = std::find_if(std::begin(kRows), std::end(kRows),
                                   [outcome](const Row& row) { return row.outcome == outcome; });
  return found == std::end(kRows) ? kRows[0].refusal : found->refusal;
}

std::string RefusalSentence(const Refusal& refusal, ChipCode chipCode, const uint8_t* version) {
  std::string words = refusal.words;
  if (std::strcmp(refusal.name, kNotTbr640Name) == 0) {
    words = "its bridge is of family " + std::to_string(FamilyCodeOf(chipCode)) +
            ", not a TBR640 (family " + std::to_string(kFamilyTbr640) + ")";
  } else if (&refusal == &kNewerFirmwareRefusal && version != nullptr) {
    words = "firmware " + FirmwareVersionText(version) + " is newer than this tool's " +
            TargetVersionText();
  }
  if (*refusal.windowText == '\0' || EqualsIgnoringAsciiCase(refusal.windowText, words)) {
    return words;
  }
  if (words.empty()) return refusal.windowText;
  return std::string(refusal.windowText) + " (" + words + ")";
}
