#include "cli/CliSession.h"

#include "cli/ExitCodes.h"

CliSession::CliSession(CliEnvironment& environment, const CliArguments& arguments, Host& machine,
                       AccessWatch& watch, const char* command)
    : env(environment), args(arguments), host(machine), access(watch), discard_(nullptr) {
  json.BeginObject().Member("command", command);
}

std::ostream& CliSession::text() {
  return jsonMode() || halted_ ? discard_ : env.out;
}

int CliSession::Fail(int code, const std::string& message) {
  if (halted_) return code;
  if (error_.empty()) error_ = message;
  env.err << "tq214: " << message << '\n';
  return code;
}

void CliSession::Note(const std::string& message) {
  if (!halted_) env.err << "tq214: " << message << '\n';
}

void CliSession::Halt(const std::string& message) {
  if (halted_) return;
  halted_ = true;
  error_ = message;
  env.err << "tq214: " << message << '\n';
}

int CliSession::Finish(int code) {
  if (halted_) code = kExitFailure;
  if (!jsonMode()) return code;
  if (!error_.empty()) json.Member("error", error_);
  json.Member("exitCode", code).EndObject();
  env.out << json.text() << '\n';
  return code;
}
