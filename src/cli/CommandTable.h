#pragma once
// tq214's commands, one entry each: the word, the options it takes, its lines
// for --help and the function that runs it (in commands/). The parser, the
// dispatch and --help all follow from the table; adding a command is an entry
// in CommandTable.cpp and its file in commands/.

#include <string>
#include <vector>

class CommandRun;
struct CliArguments;

struct CommandEntry {
  const char* name;                  // the word on the command line: "update"
  const char* selector;              // an option that picks this entry among those of the
                                     // same name ("--all"), or null for the plain one
  const char* synopsis;              // "update [--device PATH] [--yes]"
  const char* help;                  // what it does, for --help: lines of at most 53 columns
  std::vector<std::string> options;  // the command options it takes, its selector included
  int (*run)(CommandRun& run);       // returns the exit code
  // Rules across its options beyond which it takes; null when there are none.
  // False with `error` set for a combination that is refused.
  bool (*check)(const CliArguments& args, std::string* error);
};

const std::vector<CommandEntry>& CommandTable();

// Whether `word` names a command.
bool IsCommandName(const std::string& word);
// The entry of the command `word` that the options in `args` pick.
const CommandEntry* FindCommand(const std::string& word, const CliArguments& args);
// The command as its JSON names it: "list", "update --all".
std::string CommandWords(const CommandEntry& entry);
// "list, info, update or watch".
std::string CommandNames();
// The "Commands:" part of --help.
std::string CommandHelp();
