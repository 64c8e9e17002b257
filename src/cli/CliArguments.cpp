#include "cli/CliArguments.h"

#include <algorithm>
#include <cstring>

#include "sim/Scenarios.h"

namespace {

constexpr char kDeviceOption[] = "--device";
constexpr char kSimulateOption[] = "--simulate";
constexpr char kPieceMsOption[] = "--piece-ms";
constexpr char kRecordOption[] = "--record";
constexpr char kReplayOption[] = "--replay";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string ScenarioList() {
  std::string names;
  for (const std::string& name : ScenarioNames()) {
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names;
}

// The scenario names for --help: indented, lines of at most 79 columns.
std::string ScenarioLines() {
  constexpr size_t kIndent = 26;
  constexpr size_t kWidth = 79;
  std::string text;
  std::string line(kIndent, ' ');
  const auto& names = ScenarioNames();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string item = names[i] + (i + 1 < names.size() ? "," : "");
    if (line.size() > kIndent && line.size() + 1 + item.size() > kWidth) {
      text += line + "\n";
      line.assign(kIndent, ' ');
    }
    if (line.size() > kIndent) line += ' ';
    line += item;
  }
  return text + line + "\n";
}

// The options that commands take, as CliArguments::Gives names them.
constexpr char kSerialOption[] = "--serial";
constexpr char kWaitOption[] = "--wait";
constexpr char kJsonLinesOption[] = "--json=lines";
const char* const kCommandOptions[] = {kDeviceOption, "--all",          "--yes",
                                       "--update",    "--allow-older",  kSerialOption,
                                       kWaitOption,   kJsonLinesOption, "--prometheus"};

// The entry of the option `arg` ("--device=PATH", "-y"); null for an option
// the table lacks.
const OptionSpelling* FindOption(const std::string& arg) {
  const std::string name = arg.substr(0, arg.find('='));
  const std::vector<OptionSpelling>& table = OptionTable();
  const auto found = std::find_if(table.begin(), table.end(), [&name](const OptionSpelling& o) {
    return name == o.name || (o.alias != nullptr && name == o.alias);
  });
  return found == table.end() ? nullptr : &*found;
}

// Which command the word and its options name, and whether it takes them.
bool CheckCommand(const std::string& word, CliArguments& a, std::string* error) {
  if (word.empty()) {
    *error = "no command given: " + CommandNames() + " (tq214 --help)";
    return false;
  }
  a.command = FindCommand(word, a);
  const CommandEntry& entry = *a.command;
  for (const char* option : kCommandOptions) {
    if (!a.Gives(option)) continue;
    if (std::find(entry.options.begin(), entry.options.end(), option) != entry.options.end()) {
      continue;
    }
    const std::string name =
        entry.selector ? std::string(entry.name) + " " + entry.selector : std::string(entry.name);
    *error = name + " takes no " + option + " (tq214 --help)";
    return false;
  }
  return entry.check == nullptr || entry.check(a, error);
}

// The options of the run, whatever the command.
bool CheckRunOptions(const CliArguments& a, std::string* error) {
  if (!a.replay.empty() && (a.simulate || !a.record.empty())) {
    *error = "--replay runs against its session alone: no --simulate, no --record";
    return false;
  }
  if (a.pieceMsGiven && !a.simulate) {
    *error = "--piece-ms goes with --simulate only";
    return false;
  }
  return true;
}

class Parser {
 public:
  Parser(const std::vector<std::string>& args, CliArguments* out, std::string* error)
      : args_(args), out_(out), error_(error) {}

  bool Run() {
    bool help = false;
    bool version = false;
    for (index_ = 0; index_ < args_.size(); ++index_) {
      const std::string& arg = args_[index_];
      if (arg == "--help" || arg == "-h") {
        help = true;
      } else if (arg == "--version") {
        version = true;
      } else if (!Word(arg)) {
        return false;
      }
      if (!Once(arg)) return false;
    }
    if (help || version) {
      out_->help = help;
      out_->version = !help;
      return true;
    }
    return CheckRunOptions(*out_, error_) && CheckCommand(word_, *out_, error_);
  }

 private:
  bool Fail(const std::string& message) {
    *error_ = message;
    return false;
  }

  // Every option counts once, whatever its spelling ("-y" is "--yes",
  // "--simulate=two" is "--simulate"): a second one is a mistake, never
  // the last word.
  bool Once(const std::string& arg) {
    if (!StartsWith(arg, "-")) return true;
    const std::string name = FindOption(arg)->name;
    if (std::find(given_.begin(), given_.end(), name) != given_.end()) {
      return Fail(name + " given twice");
    }
    given_.push_back(name);
    return true;
  }

  bool Word(const std::string& arg) {
    if (StartsWith(arg, "-") && FindOption(arg) == nullptr) {
      return Fail("unknown option '" + arg + "' (tq214 --help)");
    }
    if (arg == "--json") {
      out_->json = true;
    } else if (arg == kJsonLinesOption) {
      out_->json = true;
      out_->jsonLines = true;
    } else if (arg == "--trace") {
      out_->trace = true;
    } else if (arg == "--yes" || arg == "-y") {
      out_->yes = true;
    } else if (arg == "--all") {
      out_->all = true;
    } else if (arg == "--update") {
      out_->update = true;
    } else if (arg == "--allow-older") {
      out_->allowOlder = true;
    } else if (arg == kWaitOption || StartsWith(arg, std::string(kWaitOption) + "=")) {
      return Wait(arg);
    } else if (arg == "--no-history") {
      out_->noHistory = true;
    } else if (arg == "--prometheus") {
      out_->prometheus = true;
    } else if (arg == kSerialOption || StartsWith(arg, std::string(kSerialOption) + "=")) {
      return File(arg, kSerialOption, &out_->serial, "a serial number");
    } else if (arg == kSimulateOption || StartsWith(arg, std::string(kSimulateOption) + "=")) {
      return Simulate(arg);
    } else if (arg == kDeviceOption || StartsWith(arg, std::string(kDeviceOption) + "=")) {
      return Device(arg);
    } else if (arg == kPieceMsOption || StartsWith(arg, std::string(kPieceMsOption) + "=")) {
      return PieceMs(arg);
    } else if (arg == kRecordOption || StartsWith(arg, std::string(kRecordOption) + "=")) {
      return File(arg, kRecordOption, &out_->record);
    } else if (arg == kReplayOption || StartsWith(arg, std::string(kReplayOption) + "=")) {
      return File(arg, kReplayOption, &out_->replay);
    } else if (StartsWith(arg, "-")) {
      return Fail("unknown option '" + arg + "' (tq214 --help)");
    } else if (!word_.empty()) {
      return Fail("unexpected argument '" + arg + "'");
    } else if (!IsCommandName(arg)) {
      return Fail("unknown command '" + arg + "': " + CommandNames());
    } else {
      word_ = arg;
    }
    return true;
  }

  bool Simulate(const std::string& arg) {
    out_->simulate = true;
    out_->scenario = kDefaultScenario;
    if (arg.size() == sizeof kSimulateOption - 1) return true;
    out_->scenario = arg.substr(sizeof kSimulateOption);
    const auto& names = ScenarioNames();
    if (std::find(names.begin(), names.end(), out_->scenario) == names.end()) {
      return Fail("unknown scenario '" + out_->scenario + "': one of " + ScenarioList());
    }
    return true;
  }

  bool Device(const std::string& arg) {
    std::string value;
    if (!Value(arg, sizeof kDeviceOption - 1, &value)) return Fail("--device needs a path");
    out_->device = value;
    return true;
  }

  // "--wait" or "--wait=SECONDS": a bare --wait takes no next word, which
  // could be the command.
  bool Wait(const std::string& arg) {
    out_->wait = true;
    if (arg.size() == sizeof kWaitOption - 1) return true;
    const std::string value = arg.substr(sizeof kWaitOption);
    uint32_t number = 0;
    bool digits = !value.empty();
    for (const char c : value) {
      digits = digits && c >= '0' && c <= '9' && number <= kMaxWaitSeconds;
      if (digits) number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    if (!digits || number == 0 || number > kMaxWaitSeconds) {
      return Fail("--wait takes seconds from 1 to " + std::to_string(kMaxWaitSeconds));
    }
    out_->waitSeconds = number;
    return true;
  }

  bool PieceMs(const std::string& arg) {
    std::string value;
    if (!Value(arg, sizeof kPieceMsOption - 1, &value)) return Fail("--piece-ms needs a number");
    uint32_t number = 0;
    bool digits = true;
    for (const char c : value) {
      digits = digits && c >= '0' && c <= '9' && number <= kMaxPieceMs;
      if (digits) number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    if (!digits || number > kMaxPieceMs) {
      return Fail("--piece-ms takes milliseconds from 0 to " + std::to_string(kMaxPieceMs));
    }
    out_->pieceMsGiven = true;
    out_->pieceMs = number;
    return true;
  }

  // An option's text value: a file, by default.
  bool File(const std::string& arg, const char* name, std::string* file,
            const char* what = "a file") {
    if (!Value(arg, std::strlen(name), file)) return Fail(std::string(name) + " needs " + what);
    return true;
  }

  // The value of an option given as "--name=VALUE" or "--name VALUE".
  bool Value(const std::string& arg, size_t nameLength, std::string* value) {
    if (arg.size() > nameLength) {
      *value = arg.substr(nameLength + 1);
    } else if (index_ + 1 < args_.size()) {
      *value = args_[++index_];
    }
    return !value->empty();
  }

  const std::vector<std::string>& args_;
  CliArguments* out_;
  std::string* error_;
  size_t index_ = 0;
  std::string word_;                // the command
  std::vector<std::string> given_;  // the options so far
};

}  // namespace

bool CliArguments::Gives(const std::string& name) const {
  if (name == kDeviceOption) return !device.empty();
  if (name == "--all") return all;
  if (name == "--yes") return yes;
  if (name == "--allow-older") return allowOlder;
  if (name == kSerialOption) return !serial.empty();
  if (name == kWaitOption) return wait;
  if (name == kJsonLinesOption) return jsonLines;
  if (name == "--prometheus") return prometheus;
  return name == "--update" && update;
}

const std::vector<OptionSpelling>& OptionTable() {
  using V = OptionValue;
  static const std::vector<OptionSpelling> table = {
      {"--help", "-h", V::kNone},
      {"--version", nullptr, V::kNone},
      {"--json", nullptr, V::kOptional},
      {"--trace", nullptr, V::kNone},
      {"--yes", "-y", V::kNone},
      {"--all", nullptr, V::kNone},
      {"--update", nullptr, V::kNone},
      {"--allow-older", nullptr, V::kNone},
      {kWaitOption, nullptr, V::kOptional},
      {"--no-history", nullptr, V::kNone},
      {"--prometheus", nullptr, V::kNone},
      {kSerialOption, nullptr, V::kRequired},
      {kSimulateOption, nullptr, V::kOptional},
      {kDeviceOption, nullptr, V::kRequired},
      {kPieceMsOption, nullptr, V::kRequired},
      {kRecordOption, nullptr, V::kRequired},
      {kReplayOption, nullptr, V::kRequired},
  };
  return table;
}

bool ParseArguments(const std::vector<std::string>& args, CliArguments* out, std::string* error) {
  return Parser(args, out, error).Run();
}

std::string UsageText() {
  return "Usage: tq214 [options] COMMAND\n"
         "\n"
         "Updates the firmware of the TBR640 bridge inside a TQ-214 enclosure.\n"
         "\n" +
         CommandHelp() +
         "\n"
         "Options:\n"
         "  --device PATH           the enclosure to use when several are attached: the\n"
         "                          path that list shows, or one of its mount points or\n"
         "                          drive letters (E:); on Windows also a device path\n"
         "                          (\\\\.\\E:, \\\\.\\PhysicalDrive1) for a disk that\n"
         "                          list misses\n"
         "  --yes, -y               update without asking\n"
         "  --allow-older           with update --device: write this tool's firmware\n"
         "                          also into an enclosure that runs a newer one\n"
         "  --wait[=SECONDS]        with update: after PASS, wait (300 s) for the\n"
         "                          enclosure to be reconnected and confirm that it\n"
         "                          runs the new firmware\n"
         "  --serial S              with history: only the enclosure of that serial\n"
         "                          number\n"
         "  --prometheus            with history: each enclosure's last update and\n"
         "                          firmware, and the updates by result, as metrics\n"
         "                          for the node exporter's textfile collector\n"
         "  --json                  one JSON object on standard output, for results and\n"
         "                          errors alike; no prompts (update --json needs --yes)\n"
         "  --json=lines            with update and watch: one JSON object a line as\n"
         "                          things happen (each enclosure's start, phases,\n"
         "                          progress and result), then the object of --json\n"
         "  --trace                 every device command on standard error: its command\n"
         "                          block in hex, direction, length and result\n"
         "  --simulate[=SCENARIO]   a virtual machine instead of the real one; SCENARIO\n"
         "                          is one of these (default outdated):\n" +
         ScenarioLines() +
         "  --piece-ms N            with --simulate: the enclosure takes N ms for each\n"
         "                          firmware piece, as a real one does (default 0; 20\n"
         "                          on a terminal, so that the bar can be watched)\n"
         "  --no-history            records nothing in the update history (which update,\n"
         "                          update --all and watch --update keep in\n"
         "                          $XDG_STATE_HOME/tq214/history.jsonl, or\n"
         "                          %LOCALAPPDATA%\\tq214\\history.jsonl; TQ214_HISTORY\n"
         "                          names another file)\n"
         "  --record FILE           writes everything the run asks of the system and the\n"
         "                          answers into FILE, a session (JSON), as it goes\n"
         "  --replay FILE           runs against the session in FILE instead of a\n"
         "                          machine; exit 1 where the run differs from it\n"
         "  --version               the program's version and the firmware image it\n"
         "                          carries\n"
         "  --help, -h              this text\n"
         "\n"
         "Exit codes: 0 success (update: also already up to date; --all and watch: every\n"
         "TBR640 ended PASS or up to date), 1 failure, 2 nothing done (declined), 3 no\n"
         "device or several to choose from, 4 bad usage.\n"
         "\n"
         "Once an update has begun to write the enclosure, Ctrl+C and requests to end\n"
         "the program are held until it has ended: stopping it midway could leave the\n"
         "enclosure unusable.\n";
}
