#include "cli/CommandRun.h"

#include <utility>

#include "cli/ExitCodes.h"
#include "cli/text/DeviceText.h"
#include "cli/update/RecordHold.h"

namespace {

// Stands in the object for the streamed member's value until it is printed.
constexpr char kStreamedValue[] = "tq214:streamed-member:7c1e0d92";

}  // namespace

CommandRun::CommandRun(CliEnvironment& environment, const CliArguments& arguments, Host& machine,
                       AccessLog& accessLog, const std::string& command)
    : env(environment),
      args(arguments),
      host(machine),
      access(accessLog),
      discard_(nullptr),
      plainOut_(env.out),
      discardProgress_(discard_) {
  json.BeginDocument().Member("command", command);
}

std::ostream& CommandRun::text() {
  return jsonMode() || halted_ ? discard_ : env.out;
}

ProgressSink& CommandRun::outProgress() {
  return env.outProgress != nullptr ? *env.outProgress : plainOut_;
}

ProgressSink& CommandRun::textProgress() {
  return jsonMode() || halted_ ? discardProgress_ : outProgress();
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
  const std::string document = json.text();
  const std::string stands = JsonQuoted(streamedName_) + ":" + JsonQuoted(kStreamedValue);
  const size_t at = streamed_ ? document.find(stands) : std::string::npos;
  if (at == std::string::npos) {
    env.out << document << '\n';
    return code;
  }
  env.out << document.substr(0, at) << JsonQuoted(streamedName_) << ':';
  streamed_(env.out);
  env.out << document.substr(at + stands.size()) << '\n';
  return code;
}

void CommandRun::StreamMember(const std::string& name, std::function<void(std::ostream&)> write) {
  json.Member(name, kStreamedValue);
  streamedName_ = name;
  streamed_ = std::move(write);
}
