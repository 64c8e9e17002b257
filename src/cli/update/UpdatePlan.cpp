#include "cli/update/UpdatePlan.h"

#include <cctype>

#include "IDEAccess/FirmwareImage.h"
#include "engine/ConfigBlock.h"
#include "engine/FirmwareVersion.h"
#include "seams/AsciiCase.h"

void ShowPlanFor(CommandRun& run, size_t enclosures) {
  const bool one = enclosures == 1;
  const std::string several = enclosures == 0
                                  ? "Each outdated enclosure that arrives will be updated; the "
                                    "update will on each\n"
                                  : "The update of these " + std::to_string(enclosures) +
                                        " enclosures, side by side, will on each\n";
  run.text() << (one ? std::string("The update will\n") : several)
             << "  1. write the firmware image (" << kFirmwareImageSize
             << " bytes) into the bridge's download buffer\n"
             << "     and read it back to verify it,\n"
             << "  2. set the USB product text and the second part of the disk string to \""
             << TargetProductText << "\".\n"
             << "The new firmware (" << TargetVersionText() << ") starts when "
             << (one ? "the enclosure is" : "each is") << " reconnected.\n"
             << "DO NOT disconnect the device during the FW update.\n";
}

bool Confirmed(CommandRun& run) {
  run.env.out << "Perform update? [y/N] ";
  run.env.out.flush();
  std::string answer;
  if (!std::getline(run.env.in, answer)) {
    run.env.out << '\n';
    return false;
  }
  std::string word;
  for (const char c : answer) {
    if (!std::isspace(static_cast<unsigned char>(c))) {
      word += AsciiLower(c);
    }
  }
  return word == "y" || word == "yes";
}
