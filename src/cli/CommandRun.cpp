#include "cli/CommandRun.h"

#include "cli/DeviceText.h"
#include "cli/ExitCodes.h"
#include "cli/update/RecordHold.h"

CommandRun::CommandRun(CliEnvironment& environment, const CliArguments& arguments, Host& machine,
                       AccessLog& accessLog, const std::string& command)
    : env(environment), args(arguments), host(machine), access(accessLog), discard_(nullptr) {
  json.BeginDocument().Member("command", command);
}

std::ostream& CommandRun::text() {
  return jsonMode() || halted_ ? discard_ : env.out;
}

int CommandRun::Fail(int code, const std::string& message) {
  if (halted_) return code;
  if (error_.empty()) error_ = message;
  env.err << "tq214: " << EscapeControlBytes(message) << '\n';
  return code;
}

void CommandRun::Note(const std::string& message) {
  if (!halted_) env.err << "tq214: " << EscapeControlBytes(message) << '\n';
}

void CommandRun::Halt(const std::string& message) {
  if (halted_) return;
  halted_ = true;
  error_ = message;
  env.err << "tq214: " << EscapeControlBytes(message) << '\n';
}

void CommandRun::RecordWritten() {
  if (recordHold != nullptr) recordHold->RecordWritten();
}

int CommandRun::Finish(int code) {
  if (halted_) code = kExitFailure;
  if (!jsonMode()) return code;
  if (!error_.empty()) json.Member("error", error_);
  json.Member("exitCode", code).EndObject();
  env.out << json.text() << '\n';
  return code;
}
