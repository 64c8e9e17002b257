#include "cli/CommandTable.h"

#include <algorithm>

#include "cli/CliArguments.h"
#include "cli/text/Enumeration.h"

// Each command's function, in commands/.
int RunList(CommandRun& run);
int RunInfo(CommandRun& run);
int RunUpdate(CommandRun& run);
int RunUpdateAll(CommandRun& run);
int RunWatch(CommandRun& run);
int RunHistory(CommandRun& run);

namespace {

// A command that writes asks first; with --json it cannot ask.
bool AnswersWithoutAsking(const CliArguments& args, std::string* error) {
  if (args.json && !args.yes) {
    *error = "an update with --json asks nothing, so it needs --yes";
    return false;
  }
  return true;
}

// Older firmware over newer only into one enclosure named on purpose.
bool CheckUpdate(const CliArguments& args, std::string* error) {
  if (args.allowOlder && args.device.empty()) {
    *error = "--allow-older goes with one enclosure named by --device";
    return false;
  }
  return AnswersWithoutAsking(args, error);
}

// The history is shown in one form.
bool CheckHistory(const CliArguments& args, std::string* error) {
  if (!args.prometheus || !args.json) return true;
  *error = "history --prometheus and --json are two forms: give one";
  return false;
}

bool CheckWatch(const CliArguments& args, std::string* error) {
  if (!args.update) {
    if (!args.yes) return true;
    *error = "--yes goes with watch --update only";
    return false;
  }
  return AnswersWithoutAsking(args, error);
}

}  // namespace

const std::vector<CommandEntry>& CommandTable() {
  static const std::vector<CommandEntry> table = {
      {"list",
       nullptr,
       "list",
       "every disk behind a bridge: path, bus, identity,\n"
       "family and revision, mount points or drive letters",
       {},
       RunList,
       nullptr},
      {"info",
       nullptr,
       "info [--device PATH]",
       "the enclosure's five identity lines and whether it is\n"
       "up to date",
       {"--device"},
       RunInfo,
       nullptr},
      {"update",
       nullptr,
       "update [--device PATH [--allow-older]] [--yes] [--wait]",
       "writes the firmware and the configuration texts after\n"
       "asking \"Perform update? [y/N]\" unless --yes is given;\n"
       "an enclosure with newer firmware only with\n"
       "--allow-older; --wait confirms it after reconnecting",
       {"--device", "--yes", "--allow-older", "--wait", "--json=lines"},
       RunUpdate,
       CheckUpdate},
      {"update",
       "--all",
       "update --all [--yes]",
       "every attached TBR640 that is not up to date, side by\n"
       "side (newer ones are left alone); a table of the\n"
       "results at the end",
       {"--all", "--yes", "--json=lines"},
       RunUpdateAll,
       AnswersWithoutAsking},
      {"watch",
       nullptr,
       "watch [--update] [--yes]",
       "follows enclosures as they arrive and leave; with\n"
       "--update each outdated one that arrives is updated\n"
       "once (Ctrl+C ends the watch)",
       {"--update", "--yes", "--json=lines"},
       RunWatch,
       CheckWatch},
      {"history",
       nullptr,
       "history [--serial S] [--prometheus]",
       "the updates made here, oldest first: each enclosure's\n"
       "serial number, firmware before and after, and result;\n"
       "--prometheus: the latest state as metrics",
       {"--serial", "--prometheus"},
       RunHistory,
       CheckHistory},
  };
  return table;
}

bool IsCommandName(const std::string& word) {
  const auto& table = CommandTable();
  return std::any_of(table.begin(), table.end(),
                     [&word](const CommandEntry& entry) { return word == entry.name; });
}

const CommandEntry* FindCommand(const std::string& word, const CliArguments& args) {
  const CommandEntry* plain = nullptr;
  for (const CommandEntry& entry : CommandTable()) {
    if (word != entry.name) continue;
    if (entry.selector == nullptr) {
      plain = &entry;
    } else if (args.Gives(entry.selector)) {
      return &entry;
    }
  }
  return plain;
}

std::string CommandWords(const CommandEntry& entry) {
  return entry.selector == nullptr ? entry.name : std::string(entry.name) + " " + entry.selector;
}

std::string CommandNames() {
  std::vector<std::string> names;
  for (const CommandEntry& entry : CommandTable()) {
    if (std::find(names.begin(), names.end(), entry.name) == names.end()) {
      names.emplace_back(entry.name);
    }
  }
  return Enumeration(names, "or");
}

std::string CommandHelp() {
  // The synopsis in a column of its own; a longer one stands on a line of
  // its own above its help.
  constexpr size_t kHelpColumn = 26;
  const std::string indent(kHelpColumn, ' ');
  std::string text = "Commands:\n";
  for (const CommandEntry& entry : CommandTable()) {
    std::string line = std::string("  ") + entry.synopsis;
    if (line.size() + 2 > kHelpColumn) {
      text += line + "\n";
      line = indent;
    }
    line.resize(kHelpColumn, ' ');
    const std::string help = entry.help;
    for (size_t start = 0; start <= help.size();) {
      const size_t end = std::min(help.find('\n', start), help.size());
      text += (start == 0 ? line : indent) + help.substr(start, end - start) + "\n";
      start = end + 1;
    }
  }
  return text;
}
