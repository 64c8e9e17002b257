#include "window-demo/DemoOptions.h"

#include <cerrno>
#include <cstdlib>

#include "sim/Scenarios.h"

namespace {

// A piece longer than ten seconds would only look like a hang.
constexpr unsigned long kLongestPieceMs = 10000;

bool KnownScenario(const std::string& name) {
  for (const std::string& known : ScenarioNames()) {
    if (known == name) return true;
  }
  return false;
}

bool ParseMilliseconds(const char* text, uint32_t* value) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long parsed = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || parsed > kLongestPieceMs) return false;
  *value = static_cast<uint32_t>(parsed);
  return true;
}

}  // namespace

bool ParseDemoOptions(int argc, const char* const* argv, DemoOptions* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (option == "--scenario") {
      if (value == nullptr || !KnownScenario(value)) {
        *error = std::string("unknown scenario: ") + (value ? value : "(none given)");
        return false;
      }
      options->scenario = value;
      ++i;
    } else if (option == "--piece-ms") {
      if (!ParseMilliseconds(value, &options->writePieceMs)) {
        *error = std::string("--piece-ms takes milliseconds from 0 to 10000, not ") +
                 (value ? value : "nothing");
        return false;
      }
      ++i;
    } else if (option == "--record" || option == "--replay") {
      std::string& file = option == "--record" ? options->record : options->replay;
      if (value == nullptr || *value == '\0') {
        *error = option + " needs a file";
        return false;
      }
      file = value;
      ++i;
    } else if (option == "--single-instance") {
      options->singleInstance = true;
    } else {
      *error = "unknown option: " + option;
      return false;
    }
  }
  if (!options->record.empty() && !options->replay.empty()) {
    *error = "--record and --replay do not go together";
    return false;
  }
  return true;
}

std::string DemoUsage() {
  std::string usage =
      "Tessaloft_Orvexa_TQ-214_demo.exe [--scenario NAME] [--piece-ms N]\n"
      "                                 [--record FILE | --replay FILE] [--single-instance]\n"
      "\nScenarios:";
  for (const std::string& name : ScenarioNames()) usage += " " + name;
  usage += "\n--piece-ms: milliseconds the enclosure takes per firmware piece written (150).";
  usage += "\n--record: writes the session (every device command and answer) into FILE.";
  usage += "\n--replay: runs against a recorded session instead of the scenario.";
  usage += "\n--single-instance: a second demo started with it brings this one to the front.";
  return usage;
}
