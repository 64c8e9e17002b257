#include "usb-gadget/GadgetOptions.h"

#include <cerrno>
#include <cstdlib>

const char kGadgetUsage[] =
    "usage: tq214-usb-gadget --ffs DIR [--ready FILE] [--stats FILE] [--commands FILE]\n"
    "                        [--disk-mib N] [--fail-piece-at OFFSET] [--flip-read-back OFFSET]\n"
    "                        [--fail-read-back-at OFFSET] [--short-block-read N] [--piece-ms N]\n"
    "                        [--verbose]\n"
    "Serves a virtual TBR640 enclosure as a USB mass-storage device over FunctionFS.\n";

namespace {

bool ParseNumber(const std::string& text, uint32_t* value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long parsed = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || end == nullptr || *end != '\0' || parsed > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(parsed);
  return true;
}

}  // namespace

bool ParseGadgetOptions(const std::vector<std::string>& args, GadgetOptions* options,
                        std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options->help = true;
      return true;
    }
    if (arg == "--verbose") {
      options->verbose = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = "unknown option or missing value: " + arg;
      return false;
    }
    const std::string& value = args[++i];
    uint32_t number = 0;
    if (arg == "--ffs") {
      options->ffsDir = value;
    } else if (arg == "--ready") {
      options->readyFile = value;
    } else if (arg == "--stats") {
      options->statsFile = value;
    } else if (arg == "--commands") {
      options->commandsFile = value;
    } else if (arg == "--disk-mib" && ParseNumber(value, &number) && number >= 1 &&
               number <= kMaxDiskMiB) {
      options->diskMiB = number;
    } else if (arg == "--fail-piece-at" && ParseNumber(value, &number)) {
      options->failPieceAt = number;
    } else if (arg == "--flip-read-back" && ParseNumber(value, &number)) {
      options->flipReadBack = number;
    } else if (arg == "--fail-read-back-at" && ParseNumber(value, &number)) {
      options->failReadBackAt = number;
    } else if (arg == "--short-block-read" && ParseNumber(value, &number) && number >= 1) {
      options->shortBlockRead = number;
    } else if (arg == "--piece-ms" && ParseNumber(value, &number) && number <= kMaxPieceMs) {
      options->pieceMs = number;
    } else {
      *error = "unknown option or bad value: ";
      *error += arg;
      *error += ' ';
      *error += value;
      return false;
    }
  }
  if (options->ffsDir.empty()) {
    *error = "--ffs DIR is required";
    return false;
  }
  return true;
}
